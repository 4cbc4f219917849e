#include "sim/Olvin3.h"

#include <algorithm>

namespace sim {

namespace {

constexpr int kRunningCurrent[3] = {452, 447, 455};
constexpr int kRunningFlow = 120;

} // namespace

TOlvin3::TOlvin3(QByteArray address, std::uint64_t seed) : TDevice(TModel::Olvin3M, "#OV3", std::move(address), seed)
{
    Settings = {"100", "060", "080", "010", "005", "250", "180", "160", "150", "450", "100",     "020",
                "150", "05",  "3",   "3",   "10",  "01",  "001", "30",  "5",   "3",   "00012345"};
    // "Ольвин 3М v2.07 12.03.2019" in the unit's own code page.
    Version = "\xCE\xEB\xFC\xE2\xE8\xED 3\xCC v2.07 12.03.2019";
    // The pump is at work, so the panel shows live values from the first poll.
    for (int p = 0; p < 3; ++p)
        Status.Current[p] = kRunningCurrent[p];
    Status.Flow = kRunningFlow;
    Status.Pressure = 380;
    Statistics.Total = Settings[22].toLongLong();
    Status.Meter = static_cast<int>(Statistics.Total % 10000);
    for (int p = 0; p < 3; ++p) {
        Statistics.MaxCurrent[p] = kRunningCurrent[p] + 13;
        Statistics.MinCurrent[p] = kRunningCurrent[p] - 9;
        Statistics.CurrentSum[p] = 1000 + 7 * p;
    }
    Statistics.MaxVoltage = {231, 229, 232};
    Statistics.MinVoltage = {208, 211, 209};
    Statistics.MaxPressure = 395;
    Statistics.MinPressure = 180;
    Statistics.MaxLevel = 142;
    Statistics.MinLevel = 95;
}

bool TOlvin3::Accepts(const QByteArray& body) const { return body == "#OVA" || TDevice::Accepts(body); }

std::optional<QByteArray> TOlvin3::Respond(const QByteArray& body)
{
    if (body == "#OVA")
        return Reply("A" + Password.leftJustified(4, '0', true) + Version);
    return TDevice::Respond(body);
}

QByteArray TOlvin3::StatusPayload() const
{
    QByteArray out = "T";
    out += Status.State;
    for (const int c : Status.Current)
        out += Digits(c, 4);
    for (const int v : Status.Voltage)
        out += Digits(v, 3);
    out += Digits(Status.Pressure, 4) + Digits(Status.Level, 4) + Digits(Status.Meter, 4) + Digits(Status.Flow, 4);
    out += Status.Loop;
    out += static_cast<char>(Status.Bubbling);
    out += Status.Mode;
    return out;
}

QByteArray TOlvin3::StatisticsPayload() const
{
    const TStatistics& s = Statistics;
    QByteArray out = "t";
    for (const auto* row : {&s.MaxCurrent, &s.MinCurrent, &s.CurrentSum})
        for (const int v : *row)
            out += Digits(v, 4);
    for (const auto* row : {&s.MaxVoltage, &s.MinVoltage})
        for (const int v : *row)
            out += Digits(v, 3);
    out += Digits(s.MaxPressure, 4) + Digits(s.MinPressure, 4) + Digits(s.MaxLevel, 4) + Digits(s.MinLevel, 4);
    out += s.LoopOpened;
    // Restarts left and the time to the next one follow the restart settings.
    out += Settings[15].left(1).rightJustified(1, '0') + Settings[16].left(2).rightJustified(2, '0');
    out += Digits(s.Total, 8);
    return out;
}

std::optional<QByteArray> TOlvin3::Handle(const QByteArray& command)
{
    if (command == "T") {
        StepIfLive();
        return StatusPayload();
    }
    // The commands have no answer of their own: the unit reports its new status.
    if (command == "W") {
        if (Status.State == 'N')
            Running = true;
        return StatusPayload();
    }
    if (command == "w") {
        Running = false;
        return StatusPayload();
    }
    if (command == "r") {
        Running = false;
        Status.State = 'N';
        return StatusPayload();
    }
    if (command == "K") {
        CompressorSteps = std::max(1, Settings[19].toInt()) * 10;
        Status.Bubbling = 0x8D;
        return StatusPayload();
    }
    if (command == "u") {
        QByteArray out = "u";
        for (const QByteArray& s : Settings)
            out += s;
        return out;
    }
    if (command == "t")
        return StatisticsPayload();
    if (command.size() >= 3 && command[0] == 'U' && AllDigits(command.mid(1, 2))) {
        const int step = command.mid(1, 2).toInt();
        const QByteArray value = command.mid(3);
        // Step 22 (line speed) is not writable; the panel never sends it.
        if (step < 1 || step > 21 || value.size() != SettingWidth[step - 1] || !AllDigits(value))
            return std::nullopt;
        Settings[step - 1] = value;
        return "U" + command.mid(1, 2);
    }
    if (command.size() == 9 && command[0] == 'I' && AllDigits(command.mid(1))) {
        Settings[22] = command.mid(1);
        Statistics.Total = Settings[22].toLongLong();
        Status.Meter = static_cast<int>(Statistics.Total % 10000);
        return QByteArray("I");
    }
    return std::nullopt;
}

void TOlvin3::Step()
{
    TStatus& s = Status;
    for (int p = 0; p < 3; ++p) {
        if (Running)
            s.Current[p] = std::clamp(
                Drift(FRandom, s.Current[p] + (kRunningCurrent[p] - s.Current[p]) / 3, kRunningCurrent[p], 3), 1, 9999);
        else
            s.Current[p] = s.Current[p] / 3;
        s.Voltage[p] = std::clamp(Drift(FRandom, s.Voltage[p], 220, 1), 200, 240);
    }
    s.Pressure = std::clamp(Drift(FRandom, s.Pressure, Running ? 380 : 200, 2), 0, 9999);
    s.Level = std::clamp(Drift(FRandom, s.Level, Running ? 100 : 140, 1), 0, 9999);
    s.Flow = Running ? std::clamp(Drift(FRandom, std::max(s.Flow, kRunningFlow - 20), kRunningFlow, 2), 1, 9999) : 0;
    FMeterTenths += s.Flow / 20;
    if (FMeterTenths >= 100) {
        FMeterTenths -= 100;
        Statistics.Total = (Statistics.Total + 1) % 100000000;
        s.Meter = static_cast<int>(Statistics.Total % 10000);
    }
    if (CompressorSteps > 0 && --CompressorSteps == 0)
        s.Bubbling = 0x8C;
    Track();
}

void TOlvin3::Track()
{
    const TStatus& s = Status;
    TStatistics& t = Statistics;
    for (int p = 0; p < 3; ++p) {
        if (Running) {
            t.MaxCurrent[p] = std::max(t.MaxCurrent[p], s.Current[p]);
            t.MinCurrent[p] = std::min(t.MinCurrent[p], s.Current[p]);
            t.CurrentSum[p] = (t.CurrentSum[p] + s.Current[p] / 100) % 10000;
        }
        t.MaxVoltage[p] = std::max(t.MaxVoltage[p], s.Voltage[p]);
        t.MinVoltage[p] = std::min(t.MinVoltage[p], s.Voltage[p]);
    }
    t.MaxPressure = std::max(t.MaxPressure, s.Pressure);
    t.MinPressure = std::min(t.MinPressure, s.Pressure);
    t.MaxLevel = std::max(t.MaxLevel, s.Level);
    t.MinLevel = std::min(t.MinLevel, s.Level);
    if (s.Loop != '0')
        t.LoopOpened = '1';
}

} // namespace sim
