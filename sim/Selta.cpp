#include "sim/Selta.h"

#include <algorithm>

namespace sim {

namespace {

int LowestCount(char type) { return type == '0' ? 0 : 160; }
constexpr int kHighestCount = 800;

} // namespace

TSelta::TSelta(QByteArray address, std::uint64_t seed) : TDevice(TModel::Selta, "#SLT", std::move(address), seed)
{
    // The second channel starts as the unit in the handbook examples: a 4-20 mA
    // sensor of 1.00 MPa that once lost its seal.
    Channel[1].Type = '1';
    Channel[1].Limit = 100;
    Channel[1].Count = 480;
    Channel[1].Maximum = 480;
    Channel[1].Minimum = 200;
    Channel[1].SeenMaximum = 480;
    Channel[1].SeenMinimum = 200;
    Channel[1].SeenLeak = 'Y';
}

QByteArray TSelta::Status() const
{
    QByteArray out = "T";
    for (const TChannel& c : Channel)
        out += c.Type + Digits(c.Limit, 3) + Digits(c.Count, 3);
    out += Channel[0].Sealed;
    out += Channel[1].Sealed;
    return out;
}

std::optional<QByteArray> TSelta::Handle(const QByteArray& command)
{
    if (command == "T") {
        StepIfLive();
        return Status();
    }
    if (command == "u") {
        QByteArray out = "u";
        for (const TChannel& c : Channel)
            out += c.Type + Digits(c.Limit, 3) + Digits(c.Maximum, 3) + Digits(c.Minimum, 3);
        return out + Alarm;
    }
    if (command == "S") {
        QByteArray out = "S";
        for (const TChannel& c : Channel)
            out += c.Type + Digits(c.Limit, 3) + Digits(c.SeenMaximum, 3) + Digits(c.SeenMinimum, 3);
        out += Channel[0].SeenLeak;
        out += Channel[1].SeenLeak;
        return out;
    }
    const char letter = command.isEmpty() ? '\0' : command[0];
    if (command.size() == 2 && letter == 'B' && (command[1] == '0' || command[1] == '1')) {
        Alarm = command[1];
        return QByteArray("B");
    }
    if ((letter == 'D' || letter == 'W') && command.size() >= 2 && (command[1] == '1' || command[1] == '2')) {
        TChannel& c = Channel[command[1] - '1'];
        const QByteArray payload = command.mid(2);
        if (!AllDigits(payload))
            return std::nullopt;
        if (letter == 'D' && payload.size() == 4 && (payload[0] == '0' || payload[0] == '1')) {
            c.Type = payload[0];
            c.Limit = payload.mid(1).toInt();
            c.Count = std::max(c.Count, LowestCount(c.Type));
            return command.left(2);
        }
        if (letter == 'W' && payload.size() == 6) {
            c.Maximum = payload.left(3).toInt();
            c.Minimum = payload.mid(3).toInt();
            return command.left(2);
        }
    }
    return std::nullopt;
}

void TSelta::Step()
{
    for (TChannel& c : Channel) {
        const int low = LowestCount(c.Type);
        c.Count = std::clamp(Drift(FRandom, c.Count, (low + kHighestCount) / 2, 2), low, kHighestCount);
        c.SeenMaximum = std::max(c.SeenMaximum, c.Count);
        c.SeenMinimum = std::min(c.SeenMinimum, c.Count);
        if (c.Sealed != 'N')
            c.SeenLeak = 'Y';
    }
}

} // namespace sim
