#include "sim/Olvin4.h"

#include <algorithm>

namespace sim {

namespace {

constexpr int kWorkingCurrent[6] = {125, 98, 143, 60, 110, 87};

} // namespace

TOlvin4::TOlvin4(QByteArray address, std::uint64_t seed) : TDevice(TModel::Olvin4, "#1", std::move(address), seed)
{
    // Four channels at work, one stopped, one tripped on overcurrent: every kind
    // of row shows on the panel from the first poll.
    for (int n = 0; n < 4; ++n)
        Channel[n] = {true, kWorkingCurrent[n], 0};
    Channel[5].Fault = 3;
}

std::optional<QByteArray> TOlvin4::Handle(const QByteArray& command)
{
    if (command == "T") {
        StepIfLive();
        QByteArray out = "T";
        for (const TChannel& c : Channel) {
            if (c.Fault > 0)
                out += "-00" + QByteArray::number(std::min(c.Fault, 9));
            else
                out += Digits(c.Running ? c.Current : 0, 4);
        }
        return out;
    }
    if (command.size() == 2 && command[0] >= '1' && command[0] <= '6' && (command[1] == 'W' || command[1] == 'w')) {
        const int n = command[0] - '1';
        TChannel& c = Channel[n];
        if (command[1] == 'W') {
            // Starting clears a trip, as the unit's own start button does.
            c.Fault = 0;
            if (!c.Running)
                c.Current = kWorkingCurrent[n];
            c.Running = true;
        } else {
            c.Running = false;
        }
        return QByteArray(1, command[1]) + command[0];
    }
    return std::nullopt;
}

void TOlvin4::Step()
{
    for (int n = 0; n < 6; ++n) {
        TChannel& c = Channel[n];
        if (c.Running && c.Fault == 0)
            c.Current = std::clamp(Drift(FRandom, c.Current, kWorkingCurrent[n], 2), 1, 9999);
    }
}

} // namespace sim
