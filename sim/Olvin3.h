#pragma once

#include "sim/Device.h"

#include <array>

namespace sim {

// Pump controller with a compressor ("#OV3"; identification "#OVA" without address).
class TOlvin3 final : public TDevice {
public:
    struct TStatus {
        char State = 'N';                            // 'N' normal, 'A','U','D','H','S' alarms
        std::array<int, 3> Current{};                // tenths of an ampere, phases A, B, C
        std::array<int, 3> Voltage{{220, 221, 219}}; // volts
        int Pressure = 210;                          // hundredths (dd,dd)
        int Level = 125;                             // tenths of a metre
        int Meter = 0;                               // water meter, four digits
        int Flow = 0;                                // tenths
        char Loop = '0';                             // security loop: '0' closed
        unsigned char Bubbling = 0x8C;
        char Mode = '0'; // '0' automatic
    };
    struct TStatistics {
        std::array<int, 3> MaxCurrent{}, MinCurrent{}, CurrentSum{};
        std::array<int, 3> MaxVoltage{}, MinVoltage{};
        int MaxPressure = 0, MinPressure = 0, MaxLevel = 0, MinLevel = 0;
        char LoopOpened = '0';
        long long Total = 0; // cumulative water meter, eight digits
    };

    explicit TOlvin3(QByteArray address, std::uint64_t seed = 1);

    // Answers "#OVA" too, which carries no address.
    bool Accepts(const QByteArray& body) const override;
    std::optional<QByteArray> Respond(const QByteArray& body) override;

    TStatus Status;
    TStatistics Statistics;
    // Settings 1 to 23 as they travel, each at its own width.
    std::array<QByteArray, 23> Settings;
    bool Running = true;
    int CompressorSteps = 0; // status polls left with the compressor on
    QByteArray Password = "1234";
    QByteArray Version;

    static constexpr int SettingWidth[23] = {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 2, 1, 1, 2, 2, 3, 2, 1, 1, 8};

protected:
    std::optional<QByteArray> Handle(const QByteArray& command) override;
    void Step() override;

private:
    QByteArray StatusPayload() const;
    QByteArray StatisticsPayload() const;
    void Track();
    int FMeterTenths = 0;
};

} // namespace sim
