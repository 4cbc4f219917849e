#include "devices/Selta.h"

#include "devices/NumberFormat.h"

#include <cmath>

namespace selta {
namespace {

using devices::DigitsAt;

// Hundredths of a MPa per count above 4 mA of a 4-20 mA sensor, per MPa of limit.
constexpr double kFactor420 = 0.156258;

std::optional<ChannelRecord> Record(const QByteArray& frame, int typePos)
{
    const auto limit = DigitsAt(frame, typePos + 1, 3);
    const auto maximum = DigitsAt(frame, typePos + 4, 3);
    const auto minimum = DigitsAt(frame, typePos + 7, 3);
    if (!limit || !maximum || !minimum)
        return std::nullopt;
    return ChannelRecord{frame.at(typePos - 1), *limit, *maximum, *minimum};
}

QString ChannelMessage(const char* text, int number) { return QString::fromUtf8(text).arg(number); }

QString UnitSuffix(int mode) { return QStringLiteral("  ") + UnitLabel(mode); }

} // namespace

std::optional<Status> DecodeStatusFrame(const QByteArray& frame)
{
    if (!devices::PayloadReaches(frame, 21))
        return std::nullopt;
    Status s;
    for (int ch = 0; ch < 2; ++ch) {
        const int typePos = ch == 0 ? 6 : 13;
        const auto limit = DigitsAt(frame, typePos + 1, 3);
        const auto count = DigitsAt(frame, typePos + 4, 3);
        if (!limit || !count)
            return std::nullopt;
        s.Channel[ch] = ChannelStatus{frame.at(typePos - 1), *limit, *count, frame.at(19 + ch) != 'N'};
    }
    return s;
}

std::optional<Settings> DecodeSettingsFrame(const QByteArray& frame)
{
    if (!devices::PayloadReaches(frame, 26))
        return std::nullopt;
    const auto ch1 = Record(frame, 6);
    const auto ch2 = Record(frame, 16);
    if (!ch1 || !ch2)
        return std::nullopt;
    return Settings{{*ch1, *ch2}, frame.at(25)};
}

std::optional<Statistics> DecodeStatisticsFrame(const QByteArray& frame)
{
    if (!devices::PayloadReaches(frame, 27))
        return std::nullopt;
    const auto ch1 = Record(frame, 6);
    const auto ch2 = Record(frame, 16);
    if (!ch1 || !ch2)
        return std::nullopt;
    return Statistics{{*ch1, *ch2}, {frame.at(25) != 'N', frame.at(26) != 'N'}};
}

QString UnitLabel(int mode)
{
    switch (mode) {
    case dmPressureMPa:
        return QStringLiteral("МПа");
    case dmPressureKgf:
        return QStringLiteral("кг/см");
    case dmLevel:
        return QStringLiteral("м");
    default:
        return QStringLiteral("мА");
    }
}

double ChannelNumber(int mode, char sensorType, int count, double limit)
{
    double current = 0;
    double p = 0; // hundredths of a MPa
    if (sensorType == '0') {
        current = count / 160.0;
        p = count / 8.0 * limit;
    } else {
        current = count / 40.0;
        p = (count - 160) * kFactor420 * limit;
    }
    switch (mode) {
    case dmPressureMPa:
        return p / 100;
    case dmPressureKgf:
        return p / 100 * 10.2;
    case dmLevel:
        return p / 100 * 102;
    default:
        return current;
    }
}

QString FormatChannelValue(int mode, char sensorType, int count, double limit)
{
    const double value = ChannelNumber(mode, sensorType, count, limit);
    QString text = devices::FormatGeneral(value);
    // Four characters of an exponent form would read as a different number;
    // such a small magnitude is what four characters of the fixed form show.
    if (text.contains(QLatin1Char('E')) && std::fabs(value) < 1)
        text = value < 0 ? QStringLiteral("-0,0") : QStringLiteral("0,00");
    return text.left(4) + UnitSuffix(mode);
}

QByteArray ChannelValueToCode(int mode, int sensorIndex, double value, double limit)
{
    double n = 0;
    if (mode == dmCurrent) {
        n = value * (sensorIndex == 0 ? 160 : 40);
    } else {
        double v = 100 * value;
        if (mode == dmPressureKgf)
            v = 100 * value / 10.2;
        else if (mode == dmLevel)
            v = 100 * value / 102;
        if (limit == 0)
            return QByteArray();
        n = sensorIndex == 0 ? 8 * v / limit : v / (kFactor420 * limit) + 160;
    }
    // Default rounding mode: nearest, halves to the even neighbour.
    n = std::nearbyint(n);
    if (!(n >= 0 && n <= 999))
        return QByteArray();
    return QByteArray::number(static_cast<int>(n)).rightJustified(3, '0');
}

QString ValueToMaskDigits(const QString& valueText, bool twoIntegerDigits)
{
    QString s = valueText;
    if (const int blank = s.indexOf(QLatin1Char(' ')); blank >= 0)
        s.truncate(blank);
    const std::optional<double> x = devices::ParseNumber(s);
    if (!x || *x < 0)
        return QString();
    if (*x == 0)
        return QStringLiteral("000");
    // A value of the field's capacity or more would land its digits in the
    // wrong places: 81,6 m in a d,dd field would read 8,16.
    if (*x >= (twoIntegerDigits ? 100.0 : 10.0))
        return QString();
    if (const int comma = s.indexOf(QLatin1Char(',')); comma >= 0)
        s.remove(comma, 1);
    if (twoIntegerDigits && *x < 10)
        s.prepend(QLatin1Char('0'));
    if (s.size() == 1)
        s.append(QStringLiteral("00"));
    else if (s.size() == 2)
        s.append(QLatin1Char('0'));
    return s.left(3);
}

bool UsesTwoIntegerDigits(int mode, int sensorIndex) { return mode == dmCurrent && sensorIndex != 0; }

TFieldValue SettingsFieldValue(int mode, char sensorType, int count, double limit, bool twoIntegerDigits)
{
    TFieldValue field;
    field.Digits = ValueToMaskDigits(FormatChannelValue(mode, sensorType, count, limit), twoIntegerDigits);
    const double value = ChannelNumber(mode, sensorType, count, limit);
    if (field.Digits.isEmpty() && value >= (twoIntegerDigits ? 100.0 : 10.0)) {
        const QString shown = QString::number(value, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
        field.ToolTip = QStringLiteral("Значение %1 %2 не помещается в поле").arg(shown, UnitLabel(mode));
    }
    return field;
}

QStringList StatisticsLines(const Statistics& stats, int mode1, int mode2, const QTime& time)
{
    const QString ch1 = QStringLiteral("Канал №1  ");
    const QString ch2 = QStringLiteral("Канал №2  ");
    const ChannelRecord& r1 = stats.Channel[0];
    const ChannelRecord& r2 = stats.Channel[1];
    const double limit1 = r1.Limit / 100.0;
    const double limit2 = r2.Limit / 100.0;
    auto sensorName = [](char type) { return type == '0' ? QStringLiteral("0 - 5 мА") : QStringLiteral("4 - 20 мА"); };
    auto state = [](bool depressurised) {
        return depressurised ? QStringLiteral("Была разгерметизация датчика")
                             : QStringLiteral("Датчик в рабочем состоянии");
    };
    return {
        QStringLiteral("Время получения статистики ") + devices::LongTimeText(time),
        QString(),
        QStringLiteral("Тип подключённых датчиков "),
        ch1 + sensorName(r1.SensorType),
        ch2 + sensorName(r2.SensorType),
        QStringLiteral("Предельные значения датчиков датчиков "),
        ch1 + devices::FormatGeneral(limit1),
        ch2 + devices::FormatGeneral(limit2),
        QStringLiteral("Максимальные значения "),
        ch1 + FormatChannelValue(mode1, r1.SensorType, r1.Maximum, limit1),
        ch2 + FormatChannelValue(mode2, r2.SensorType, r2.Maximum, limit2),
        QStringLiteral("Минимальные значения "),
        ch1 + FormatChannelValue(mode1, r1.SensorType, r1.Minimum, limit1),
        ch2 + FormatChannelValue(mode2, r2.SensorType, r2.Minimum, limit2),
        QStringLiteral("Состояние аварии датчиков "),
        ch1 + state(stats.Depressurised[0]),
        ch2 + state(stats.Depressurised[1]),
    };
}

QByteArray Request(const QByteArray& deviceNumber, const QByteArray& command)
{
    return devices::Request(devices::TDeviceKind::Selta, deviceNumber, command);
}

bool IsWriteAcknowledgement(char letter) { return letter == 'B' || letter == 'D' || letter == 'W'; }

devices::TChecked CheckTypeAndLimit(const QByteArray& deviceNumber, const TChannelInput& in)
{
    if (!devices::ParseNumber(in.LimitEditText))
        return devices::TChecked::Refuse(
            ChannelMessage("НЕПРАВИЛЬНО УКАЗАНО ПРЕДЕЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1", in.Number));
    const QByteArray type = QByteArray::number(qMax(in.SensorIndex, 0));
    return devices::TChecked::Accept(
        Request(deviceNumber, "D" + QByteArray::number(in.Number) + type + in.LimitText.toLatin1()));
}

devices::TChecked CheckMaxAndMin(const QByteArray& deviceNumber, const TChannelInput& in)
{
    using devices::TChecked;
    // The fields are checked in the order the form shows them; the first fault is the one told.
    struct TField {
        const QString& Text;
        const char* Message;
    };
    const TField fields[] = {
        {in.LimitEditText, "НЕПРАВИЛЬНО УКАЗАНО ПРЕДЕЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1"},
        {in.MaximumEditText, "НЕПРАВИЛЬНО УКАЗАНО МАКСИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1"},
        {in.MinimumEditText, "НЕПРАВИЛЬНО УКАЗАНО МИНИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1"},
    };
    std::array<double, 3> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto value = devices::ParseNumber(fields[i].Text);
        if (!value)
            return TChecked::Refuse(ChannelMessage(fields[i].Message, in.Number));
        values[i] = *value;
    }
    const auto [limit, maximum, minimum] = values;
    if (in.Mode != dmCurrent && limit == 0)
        return TChecked::Refuse(
            ChannelMessage("ПРЕДЕЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1 НЕ МОЖЕТ БЫТЬ РАВНО НУЛЮ", in.Number));
    const int sensor = qMax(in.SensorIndex, 0);
    // The largest value whose count still fits three digits, for the message.
    QString largest = FormatChannelValue(in.Mode, sensor == 0 ? '0' : '1', 999, limit).simplified();
    largest.replace(QStringLiteral(", "), QStringLiteral(" ")); // a cut may end on the comma
    const QByteArray xxx = ChannelValueToCode(in.Mode, sensor, maximum, limit);
    if (xxx.isEmpty())
        return TChecked::Refuse(
            ChannelMessage("МАКСИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1 СЛИШКОМ ВЕЛИКО: НЕ БОЛЕЕ %2", in.Number)
                .arg(largest));
    const QByteArray nnn = ChannelValueToCode(in.Mode, sensor, minimum, limit);
    if (nnn.isEmpty())
        return TChecked::Refuse(
            ChannelMessage("МИНИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1 СЛИШКОМ ВЕЛИКО: НЕ БОЛЕЕ %2", in.Number)
                .arg(largest));
    return TChecked::Accept(Request(deviceNumber, "W" + QByteArray::number(in.Number) + xxx + nnn));
}

} // namespace selta
