#pragma once

#include "sim/Device.h"

#include <array>

namespace sim {

// Unit of eight analog and eight discrete inputs ("#TRV").
class TTorvis final : public TDevice {
public:
    struct TAnalog {
        // Settings as they travel: type '0' off, '1' 0-5 mA, '2' 4-20 mA;
        // unit code "00".."19"; levels of five characters, "0" standing for "+".
        char Type = '2';
        QByteArray Unit = "08";
        QByteArray Upper = "020.0";
        QByteArray Lower = "000.0";
        QByteArray AlarmHigh = "018.0";
        QByteArray AlarmLow = "001.0";
        QByteArray CalibrationHigh = "850";
        QByteArray CalibrationLow = "015";
        // Reported in the status: a state letter and six characters of value.
        char State = 'N';
        QByteArray Text = "+00.00";
        // The process behind it; Failure 'E' or 'e' forces a sensor fault.
        double Value = 0;
        char Failure = 0;
    };
    struct TDiscrete {
        char Type = '0'; // '0' passive, '1' active
        bool Closed = false;
        char Code = '1'; // reported: '0'/'1' passive closed/open, '2'/'3' active
        char Indicator = '0';
    };

    explicit TTorvis(QByteArray address, std::uint64_t seed = 1);

    std::array<TAnalog, 8> Analog;
    std::array<TDiscrete, 8> Discrete;
    QByteArray Version;

    // Recomputes the reported letters and texts from the process values.
    void Refresh();

protected:
    std::optional<QByteArray> Handle(const QByteArray& command) override;
    void Step() override;
};

} // namespace sim
