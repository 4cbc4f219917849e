#include "devices/Torvis.h"

#include "devices/Cp1251.h"

#include <algorithm>

namespace torvis {
namespace {

using devices::DigitsAt;
using devices::FieldAt;
using devices::TChecked;

constexpr int kChannelPosition = 6;
constexpr int kAnalogStatusPosition = 6;
constexpr int kAnalogStatusWidth = 7; // state letter and six value characters
constexpr int kDiscreteStatusPosition = 62;
constexpr int kSensorTypePosition = 7;
constexpr int kUnitPosition = 8;
constexpr int kFirstLevelPosition = 10;
constexpr int kFirstDiscreteTypePosition = 7;
constexpr int kCalibrationPosition = 7;
constexpr int kVersionPosition = 6;
constexpr int kNoUnitCode = 19;

struct TStateRow {
    char Letter;
    const char* Text;
    bool Alarm;
};

// Any other letter is its own hint, without alarm.
constexpr TStateRow kStates[] = {
    {'N', "Нет ошибки", false},
    {'E', "Отказ датчика (ток > максимального)", true},
    {'e', "Отказ датчика (ток < минимального)", true},
    {'M', "Значение выше максимального", true},
    {'m', "Значение ниже минимального", true},
    {'o', "Датчик отключен", false},
};

const QString kPassive = QStringLiteral("Пассивный");
const QString kActive = QStringLiteral("Активный");

bool IsChannel(int channel) { return channel >= 1 && channel <= AnalogCount; }

QByteArray ChannelText(int channel) { return QByteArray::number(channel); }

} // namespace

const QStringList& SensorTypeNames()
{
    static const QStringList names = {QStringLiteral("Отключен"), QStringLiteral("0 - 5  мА"),
                                      QStringLiteral("4 - 20 мА ")};
    return names;
}

const QStringList& UnitSymbols()
{
    static const QStringList symbols = {
        QStringLiteral("A"), QStringLiteral("b"),  QStringLiteral("C"),  QStringLiteral("d"),  QStringLiteral("E"),
        QStringLiteral("F"), QStringLiteral("П"),  QStringLiteral("Г"),  QStringLiteral("U"),  QStringLiteral("У"),
        QStringLiteral("H"), QStringLiteral("h"),  QStringLiteral("o"),  QStringLiteral("u "), QStringLiteral("п"),
        QStringLiteral("L"), QStringLiteral("c "), QStringLiteral("r "), QStringLiteral("°"),  QStringLiteral("?"),
    };
    return symbols;
}

const QStringList& DiscreteTypeNames()
{
    static const QStringList names = {kPassive, kActive};
    return names;
}

TAnalogReading AnalogReading(char state, const QByteArray& value)
{
    TAnalogReading reading{devices::FromCp1251(value), devices::FromCp1251(QByteArray(1, state)), false};
    for (const TStateRow& row : kStates)
        if (row.Letter == state) {
            reading.StateText = QString::fromUtf8(row.Text);
            reading.Alarm = row.Alarm;
        }
    return reading;
}

TDiscreteReading DiscreteReading(char code, char indicator)
{
    // "0" and "1" are passive inputs, "2" an active one; the even codes are ticked.
    const bool passive = code == '0' || code == '1';
    return {passive ? kPassive : kActive, code == '0' || code == '2', devices::FromCp1251(QByteArray(1, indicator))};
}

TStatus DecodeStatus(const QByteArray& frame)
{
    TStatus status;
    for (int n = 0; n < AnalogCount; ++n)
        if (const auto field = FieldAt(frame, kAnalogStatusPosition + kAnalogStatusWidth * n, kAnalogStatusWidth))
            status.Analog[static_cast<std::size_t>(n)] = AnalogReading(field->at(0), field->mid(1));
    for (int n = 0; n < DiscreteCount; ++n)
        if (const auto field = FieldAt(frame, kDiscreteStatusPosition + 2 * n, 2))
            status.Discrete[static_cast<std::size_t>(n)] = DiscreteReading(field->at(0), field->at(1));
    return status;
}

bool IsDiscreteTypesAnswer(const QByteArray& frame)
{
    const auto channel = FieldAt(frame, kChannelPosition, 1);
    return channel && channel->at(0) == DiscreteTypesChannel;
}

std::optional<TAnalogSettings> DecodeAnalogSettings(const QByteArray& frame)
{
    const int last = kFirstLevelPosition + LevelCount * LevelWidth - 1;
    const auto channel = DigitsAt(frame, kChannelPosition, 1);
    if (!devices::PayloadReaches(frame, last) || !channel || !IsChannel(*channel))
        return std::nullopt;
    TAnalogSettings settings;
    settings.Channel = *channel;
    const int type = DigitsAt(frame, kSensorTypePosition, 1).value_or(-1);
    settings.SensorType = type < SensorTypeNames().size() ? type : -1;
    const int unit = DigitsAt(frame, kUnitPosition, 2).value_or(-1);
    settings.Unit = unit < UnitSymbols().size() ? unit : -1;
    for (int i = 0; i < LevelCount; ++i)
        settings.Levels[static_cast<std::size_t>(i)] =
            LevelFromWire(devices::FromCp1251(frame.mid(kFirstLevelPosition - 1 + LevelWidth * i, LevelWidth)));
    return settings;
}

std::optional<std::array<int, DiscreteCount>> DecodeDiscreteTypes(const QByteArray& frame)
{
    const auto types = FieldAt(frame, kFirstDiscreteTypePosition, DiscreteCount);
    if (!IsDiscreteTypesAnswer(frame) || !types)
        return std::nullopt;
    std::array<int, DiscreteCount> indices{};
    for (int n = 0; n < DiscreteCount; ++n)
        indices[static_cast<std::size_t>(n)] = types->at(n) == '0' ? 0 : 1;
    return indices;
}

QString DecodeVersion(const QByteArray& frame)
{
    const int width = static_cast<int>(frame.size()) - devices::ChecksumWidth - (kVersionPosition - 1);
    QByteArray text = FieldAt(frame, kVersionPosition, qMax(width, 0)).value_or(QByteArray());
    // One answer is one line of the memo.
    text.replace('\n', ' ').replace('\r', ' ');
    return devices::FromCp1251(text);
}

std::optional<TCalibration> DecodeCalibration(const QByteArray& frame)
{
    const auto values = FieldAt(frame, kCalibrationPosition, 2 * CalibrationWidth);
    if (!values)
        return std::nullopt;
    return TCalibration{devices::FromCp1251(values->left(CalibrationWidth)),
                        devices::FromCp1251(values->mid(CalibrationWidth))};
}

QString LevelFromWire(const QString& wire)
{
    QString shown = wire;
    if (shown.startsWith(QLatin1Char('0')))
        shown[0] = QLatin1Char('+');
    return shown;
}

QString LevelToWire(const QString& shown)
{
    QString wire = shown;
    if (wire.startsWith(QLatin1Char('+')))
        wire[0] = QLatin1Char('0');
    return wire;
}

QString CheckLevelFormat(const QString& text)
{
    if (text.size() != LevelWidth)
        return QStringLiteral("Предельные значения и аварийные уровни должны состоять из 5 символов");
    if (text.at(0) != QLatin1Char('-') && text.at(0) != QLatin1Char('+'))
        return QStringLiteral("Первым символом в предельных значениях датчика должен быть знак \"+\" или \"-\" ");
    if (!text.contains(QLatin1Char('.')))
        return QStringLiteral("Предельные значения и аварийные уровни должны иметь знак \".\" точку ");
    return QString();
}

bool IsLevelNumber(const QString& value)
{
    // The sign place is dropped; blanks may stand around the number.
    const QString number = value.mid(1).trimmed();
    int digits = 0;
    int points = 0;
    for (const QChar c : number) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else if (c == QLatin1Char('.'))
            ++points;
        else
            return false;
    }
    return digits > 0 && points <= 1;
}

QByteArray Request(const QByteArray& deviceNumber, const QByteArray& command)
{
    return devices::Request(devices::TDeviceKind::Torvis, deviceNumber, command);
}

QByteArray DiscreteTypesRequest(const QByteArray& deviceNumber)
{
    return Request(deviceNumber, QByteArray("u") + DiscreteTypesChannel);
}

QByteArray VersionRequest(const QByteArray& deviceNumber)
{
    return Request(deviceNumber, QByteArray(1, VersionLetter));
}

bool CheckSelected(int itemIndex) { return itemIndex >= 0 && itemIndex < DiscreteTypeNames().size(); }

TChecked CheckSettingsRead(const QByteArray& deviceNumber, int channel)
{
    if (!IsChannel(channel))
        return TChecked::Refuse(QStringLiteral("Не выбран канал"));
    return TChecked::Accept(Request(deviceNumber, "u" + ChannelText(channel)));
}

TChecked CheckAnalogWrite(const QByteArray& deviceNumber, const TAnalogInput& in)
{
    if (!IsChannel(in.Channel))
        return TChecked::Refuse(QStringLiteral("Не выбран канал."));
    if (in.SensorType < 0 || in.SensorType >= SensorTypeNames().size())
        return TChecked::Refuse(QStringLiteral("Не указан тип датчика"));
    const int unit = in.Unit >= 0 && in.Unit < UnitSymbols().size() ? in.Unit : kNoUnitCode;
    std::array<QString, LevelCount> wire;
    for (std::size_t i = 0; i < wire.size(); ++i) {
        if (const QString fault = CheckLevelFormat(in.Levels[i]); !fault.isEmpty())
            return TChecked::Refuse(fault);
        wire[i] = LevelToWire(in.Levels[i]);
    }
    for (std::size_t i = 1; i < wire.size(); ++i)
        if (wire[i - 1].indexOf(QLatin1Char('.')) != wire[i].indexOf(QLatin1Char('.')))
            return TChecked::Refuse(
                QStringLiteral("Знак \"точка\" должен быть расположен одинакого во всех введённых значениях"));
    for (const QString& level : wire)
        if (!IsLevelNumber(level))
            return TChecked::Refuse(QStringLiteral("Одно из значений уровня введено не правильно"));
    QByteArray body = "U" + ChannelText(in.Channel) + QByteArray::number(in.SensorType) +
                      QByteArray::number(unit).rightJustified(2, '0');
    for (const QString& level : wire)
        body += devices::ToCp1251(level);
    return TChecked::Accept(Request(deviceNumber, body));
}

TChecked CheckDiscreteWrite(const QByteArray& deviceNumber, const std::array<int, DiscreteCount>& indices)
{
    QByteArray codes;
    for (const int index : indices) {
        if (!CheckSelected(index))
            return TChecked::Refuse(QStringLiteral("Не все поля заполнены."));
        codes += QByteArray::number(index);
    }
    return TChecked::Accept(Request(deviceNumber, QByteArray("U") + DiscreteTypesChannel + codes));
}

TChecked CheckCalibrationRead(const QByteArray& deviceNumber, int channel)
{
    if (!IsChannel(channel))
        return TChecked::Refuse(QStringLiteral("Не выбран канал"));
    return TChecked::Accept(Request(deviceNumber, "d" + ChannelText(channel)));
}

TChecked CheckCalibrationWrite(const QByteArray& deviceNumber, int channel, const QString& upper, const QString& lower)
{
    // An empty place inside a value would reach the device as a blank.
    auto threeDigits = [](const QString& text) {
        return text.size() == CalibrationWidth &&
               std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (!IsChannel(channel))
        return TChecked::Refuse(QStringLiteral("Не выбран канал."));
    if (!threeDigits(upper))
        return TChecked::Refuse(QStringLiteral("Верхнее значение юстировки  указано не правильно"));
    if (!threeDigits(lower))
        return TChecked::Refuse(QStringLiteral("Нижние значение юстировки  указано не правильно"));
    return TChecked::Accept(Request(deviceNumber, "D" + ChannelText(channel) + upper.toLatin1() + lower.toLatin1()));
}

std::optional<QByteArray> ReadBackRequest(const QByteArray& deviceNumber, const QByteArray& frame,
                                          int calibrationChannel)
{
    const auto letter = devices::ResponseLetter(frame);
    if (letter == SettingsWrittenLetter) {
        // The answer names what was written: an analog channel or the discrete types.
        const auto channel = FieldAt(frame, kChannelPosition, 1);
        if (channel && channel->at(0) >= '1' && channel->at(0) <= DiscreteTypesChannel)
            return Request(deviceNumber, "u" + *channel);
    } else if (letter == CalibrationWrittenLetter && IsChannel(calibrationChannel)) {
        return Request(deviceNumber, "d" + ChannelText(calibrationChannel));
    }
    return std::nullopt;
}

} // namespace torvis
