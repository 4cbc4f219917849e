#pragma once

#include "sim/Device.h"

namespace sim {

// Six-channel current protection unit ("#1").
class TOlvin4 final : public TDevice {
public:
    struct TChannel {
        bool Running = false;
        int Current = 0; // tenths of an ampere while running
        int Fault = 0;   // 0 none; 1..4 reported as "-001".."-004"
    };

    explicit TOlvin4(QByteArray address, std::uint64_t seed = 1);

    TChannel Channel[6];

protected:
    std::optional<QByteArray> Handle(const QByteArray& command) override;
    void Step() override;
};

} // namespace sim
