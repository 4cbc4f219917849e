#pragma once

#include "sim/Device.h"

namespace sim {

// Two-channel indication unit for pressure sensors ("#SLT").
class TSelta final : public TDevice {
public:
    struct TChannel {
        char Type = '0';   // '0': 0-5 mA sensor, '1': 4-20 mA
        int Limit = 160;   // measuring range, hundredths of a MPa
        int Count = 400;   // measured value: 160 per mA (0-5), 40 per mA (4-20)
        char Sealed = 'N'; // 'N' sealed, anything else depressurised
        int Maximum = 400; // settings, counts
        int Minimum = 50;
        int SeenMaximum = 400; // statistics: extremes of Count
        int SeenMinimum = 50;
        char SeenLeak = 'N'; // 'N': no depressurisation so far
    };

    explicit TSelta(QByteArray address, std::uint64_t seed = 1);

    TChannel Channel[2];
    char Alarm = '0'; // alarm signal: '0' normally off, '1' normally on

protected:
    std::optional<QByteArray> Handle(const QByteArray& command) override;
    void Step() override;

private:
    QByteArray Status() const;
};

} // namespace sim
