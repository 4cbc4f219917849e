#include "sim/Torvis.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace sim {

namespace {

// A level as it travels: a sign place ("0" or "+" for plus, "-") and four
// characters with one point and a digit, blanks around them allowed ("0125.", "0 1.5").
std::optional<double> LevelValue(const QByteArray& wire)
{
    if (wire.size() != 5 || (wire[0] != '0' && wire[0] != '+' && wire[0] != '-'))
        return std::nullopt;
    const QByteArray number = wire.mid(1);
    if (number.count('.') != 1 ||
        !std::any_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return wire[0] == '-' ? -value : value;
}

int LevelDecimals(const QByteArray& wire)
{
    const qsizetype point = wire.indexOf('.');
    return point < 0 ? 0 : static_cast<int>(wire.size() - 1 - point);
}

// Six characters: sign and five places, one decimal more than the channel's levels.
QByteArray ValueText(double value, int levelDecimals)
{
    const int decimals = std::clamp(levelDecimals + 1, 1, 3);
    const int intDigits = 4 - decimals;
    const double top = std::pow(10.0, intDigits) - std::pow(10.0, -decimals);
    const double magnitude = std::min(std::fabs(value), top);
    QByteArray digits = QByteArray::number(magnitude, 'f', decimals).rightJustified(5, '0');
    return (value < 0 && magnitude > 0 ? "-" : "+") + digits;
}

bool IsLevel(const QByteArray& wire) { return LevelValue(wire).has_value(); }

} // namespace

TTorvis::TTorvis(QByteArray address, std::uint64_t seed) : TDevice(TModel::Torvis, "#TRV", std::move(address), seed)
{
    // "ТОРВИС вер. 3.12" in the unit's code page.
    Version = "\xD2\xCE\xD0\xC2\xC8\xD1 \xE2\xE5\xF0. 3.12";
    for (int n = 0; n < 8; ++n) {
        TAnalog& a = Analog[n];
        a.Value = 6.0 + 1.5 * n;
        Discrete[n].Type = n < 4 ? '0' : '1';
        Discrete[n].Closed = n % 3 == 0;
    }
    // A pressure channel in MPa and a 0-5 mA one, and the last one switched off.
    Analog[6] = {'1', "12", "01.60", "00.00", "01.40", "00.20", "812", "021", 'N', "", 0.9, 0};
    Analog[7].Type = '0';
    Refresh();
}

void TTorvis::Refresh()
{
    for (TAnalog& a : Analog) {
        const int decimals = LevelDecimals(a.Upper);
        a.Text = ValueText(a.Value, decimals);
        if (a.Type == '0') {
            a.State = 'o';
            a.Text = "------";
        } else if (a.Failure) {
            a.State = a.Failure;
        } else if (const auto high = LevelValue(a.AlarmHigh); high && a.Value > *high) {
            a.State = 'M';
        } else if (const auto low = LevelValue(a.AlarmLow); low && a.Value < *low) {
            a.State = 'm';
        } else {
            a.State = 'N';
        }
    }
    for (TDiscrete& d : Discrete) {
        d.Code = static_cast<char>((d.Type == '0' ? '0' : '2') + (d.Closed ? 0 : 1));
        d.Indicator = d.Closed ? '1' : '0';
    }
}

std::optional<QByteArray> TTorvis::Handle(const QByteArray& command)
{
    if (command == "T") {
        StepIfLive();
        QByteArray out = "T";
        for (const TAnalog& a : Analog)
            out += a.State + a.Text.leftJustified(6, ' ', true);
        for (const TDiscrete& d : Discrete) {
            out += d.Code;
            out += d.Indicator;
        }
        return out;
    }
    if (command == "V")
        return "V" + Version;
    if (command.size() < 2)
        return std::nullopt;
    const char letter = command[0];
    const char channel = command[1];
    const QByteArray payload = command.mid(2);
    if (channel == '9') {
        if (letter == 'u' && payload.isEmpty()) {
            QByteArray out = "u9";
            for (const TDiscrete& d : Discrete)
                out += d.Type;
            return out;
        }
        if (letter == 'U' && payload.size() == 8 &&
            std::all_of(payload.begin(), payload.end(), [](char c) { return c == '0' || c == '1'; })) {
            for (int n = 0; n < 8; ++n)
                Discrete[n].Type = payload[n];
            Refresh();
            return QByteArray("U9");
        }
        return std::nullopt;
    }
    if (channel < '1' || channel > '8')
        return std::nullopt;
    TAnalog& a = Analog[channel - '1'];
    if (letter == 'u' && payload.isEmpty())
        return "u" + command.mid(1, 1) + a.Type + a.Unit + a.Upper + a.Lower + a.AlarmHigh + a.AlarmLow;
    if (letter == 'U' && payload.size() == 23) {
        const QByteArray unit = payload.mid(1, 2);
        QByteArray levels[4];
        for (int i = 0; i < 4; ++i)
            levels[i] = payload.mid(3 + 5 * i, 5);
        if (payload[0] < '0' || payload[0] > '2' || !AllDigits(unit) || unit.toInt() > 19 ||
            !std::all_of(std::begin(levels), std::end(levels), IsLevel))
            return std::nullopt;
        a.Type = payload[0];
        a.Unit = unit;
        a.Upper = levels[0];
        a.Lower = levels[1];
        a.AlarmHigh = levels[2];
        a.AlarmLow = levels[3];
        Refresh();
        return "U" + command.mid(1, 1);
    }
    if (letter == 'd' && payload.isEmpty())
        return "d" + command.mid(1, 1) + a.CalibrationHigh + a.CalibrationLow;
    if (letter == 'D' && payload.size() == 6 && AllDigits(payload)) {
        a.CalibrationHigh = payload.left(3);
        a.CalibrationLow = payload.mid(3);
        return "D" + command.mid(1, 1);
    }
    return std::nullopt;
}

void TTorvis::Step()
{
    for (TAnalog& a : Analog) {
        const double low = LevelValue(a.Lower).value_or(0);
        const double high = LevelValue(a.Upper).value_or(100);
        const double span = std::max(high - low, 0.01);
        // Wander in the middle of the range, a thousandth of the span at a time.
        const double centre = low + span / 2;
        double step = (FRandom.Uniform() - 0.5) * span / 500;
        step += (centre - a.Value) * 0.002;
        a.Value = std::clamp(a.Value + step, low - span * 0.05, high + span * 0.05);
    }
    for (TDiscrete& d : Discrete)
        if (FRandom.Chance(0.01))
            d.Closed = !d.Closed;
    Refresh();
}

} // namespace sim
