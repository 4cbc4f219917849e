#include "devices/Olvin3M.h"

#include "devices/Cp1251.h"
#include "devices/NumberFormat.h"

#include <algorithm>

namespace olvin3m {
namespace {

using devices::FieldAt;
using devices::FromCp1251;

struct TValueField {
    int Position;
    int Width;
    int CommaBefore; // the comma goes before this character of the field; 0 for none
};

constexpr std::array<TValueField, StatusValueCount> kStatusValues = {{
    {7, 4, 4},  // current А, ddd,d
    {11, 4, 4}, // current В
    {15, 4, 4}, // current С
    {19, 3, 0}, // voltage А
    {22, 3, 0}, // voltage В
    {25, 3, 0}, // voltage С
    {28, 4, 3}, // pressure, dd,dd
    {32, 4, 4}, // level
    {36, 4, 0}, // water meter
    {40, 4, 4}, // flow rate
}};

constexpr int kStatePosition = 6;
constexpr int kLoopPosition = 44;
constexpr int kBubblingPosition = 45;
constexpr int kModePosition = 46;

// A field read as a decimal integer with an optional sign; nothing when it is
// not wholly in the frame or is no such number.
std::optional<int> IntegerAt(const QByteArray& frame, int pos, int width)
{
    const auto field = FieldAt(frame, pos, width);
    if (!field || field->isEmpty())
        return std::nullopt;
    const char first = field->at(0);
    const int sign = first == '-' || first == '+' ? 1 : 0;
    const auto magnitude = devices::DigitsAt(frame, pos + sign, width - sign);
    if (!magnitude)
        return std::nullopt;
    return first == '-' ? -*magnitude : *magnitude;
}

// The characters at positions pos.. that lie before the checksum, at most width.
QByteArray Carried(const QByteArray& frame, int pos, int width)
{
    const int last = std::min(pos + width - 1, int(frame.size()) - devices::ChecksumWidth);
    return last < pos ? QByteArray() : frame.mid(pos - 1, last - pos + 1);
}

QString Text(const std::optional<QByteArray>& field) { return field ? FromCp1251(*field) : QString(); }

QString WithSeparator(const std::optional<QByteArray>& field, int before, char separator)
{
    if (!field)
        return QString();
    QByteArray text = *field;
    if (before > 0)
        text.insert(before - 1, separator);
    return FromCp1251(text);
}

// A phase current of the "N" rule: whether it is above zero, or nothing when it does not convert.
std::optional<bool> Flows(const QByteArray& frame, const TValueField& field)
{
    const auto value = IntegerAt(frame, field.Position, field.Width);
    if (!value)
        return std::nullopt;
    return *value > 0;
}

} // namespace

QByteArray Request(const QByteArray& deviceNumber, const QByteArray& command)
{
    return devices::Request(devices::TDeviceKind::Olvin3M, deviceNumber, command);
}

QByteArray IdentificationRequest() { return devices::MakeFrame("#OVA"); }

std::optional<QString> BubblingText(unsigned char code)
{
    switch (code) {
    case 0x80:
        return QStringLiteral("Выключен, авария, датчик замок.");
    case 0x8C:
        return QStringLiteral("Выключен, датчик замок.");
    case 0x8D:
        return QStringLiteral("Включен, без аварии, датчик замок.");
    case 0x91:
        return QStringLiteral("Выключен, датчик сухой. ");
    case 0xA0:
        return QStringLiteral("Выключен, авария, датчик сухой.");
    case 0xAD:
        return QStringLiteral("Включен, без аварии, датчик сухой.");
    default:
        return std::nullopt;
    }
}

std::optional<TStatus> DecodeStatus(const QByteArray& frame)
{
    TStatus status;
    const auto state = FieldAt(frame, kStatePosition, 1);
    switch (state ? state->at(0) : '\0') {
    case '\0':
        status.State = QString();
        break;
    case 'A':
        status.State = QStringLiteral("Авария по току");
        break;
    case 'U':
        status.State = QStringLiteral("Авария по напряжению");
        break;
    case 'D':
        status.State = QStringLiteral("Авария по давлению");
        break;
    case 'H':
        status.State = QStringLiteral("Авария по уровню");
        break;
    case 'S':
        status.State = QStringLiteral("Отключение по сухому ходу");
        break;
    case 'N': {
        // The phases are converted in turn; the first at or below zero decides
        // and the later ones are not looked at.
        bool running = true;
        for (int phase = 0; phase < 3 && running; ++phase) {
            const auto flows = Flows(frame, kStatusValues[std::size_t(phase)]);
            if (!flows)
                return std::nullopt;
            running = *flows;
        }
        status.State = running ? QStringLiteral("Двигатель работает") : QStringLiteral("Двигатель выключен");
        break;
    }
    default:
        break;
    }
    for (std::size_t i = 0; i < kStatusValues.size(); ++i) {
        const TValueField& f = kStatusValues[i];
        status.Values[i] = WithSeparator(FieldAt(frame, f.Position, f.Width), f.CommaBefore, ',');
    }
    if (const auto loop = FieldAt(frame, kLoopPosition, 1))
        status.Loop = *loop == "0" ? QStringLiteral("Закрыт") : QStringLiteral("Открыт");
    if (const auto bubbling = FieldAt(frame, kBubblingPosition, 1))
        status.Bubbling = BubblingText(static_cast<unsigned char>(bubbling->at(0)));
    else
        status.Bubbling = QString();
    if (const auto mode = FieldAt(frame, kModePosition, 1))
        status.Mode = *mode == "0" ? QStringLiteral("Автоматический") : QStringLiteral("Ручной");
    return status;
}

QByteArrayList IdentificationLines(const QByteArray& frame)
{
    QByteArray password = Carried(frame, 6, 4);
    std::reverse(password.begin(), password.end());
    return {
        devices::ToCp1251(QStringLiteral("Номер ")) + Carried(frame, 2, 3),
        devices::ToCp1251(QStringLiteral("Пароль ")) + password,
        devices::ToCp1251(QStringLiteral("Версия ")) + Carried(frame, 10, 28),
    };
}

const std::array<TSetting, SettingCount>& Settings()
{
    // "A." of rows 1 to 4 is a Latin A, "А/сек" of row 5 a Cyrillic one, as the unit's handbook prints them.
    static const std::array<TSetting, SettingCount> settings = {{
        {"Предел измерения токовых трансформаторов", "999;0;*", 3, 6, "A."},
        {"Значение максимального тока", "999;0;*", 3, 9, "A."},
        {"Значение аварийного тока", "999;0;*", 3, 12, "A."},
        {"Значение минимального тока", "999;0;*", 3, 15, "A."},
        {"Чувствительность к перегрузке", "999;0;*", 3, 18, "А/сек"},
        {"Значение максимального напряжения", "999;0;*", 3, 21, "В."},
        {"Значение минимального напряжения", "999;0;*", 3, 24, "В."},
        {"Тип датчика давления", "9,99;0;*", 3, 27, "МПа"},
        {"Нижнее значение давления", "9,99;0;*", 3, 30, "кг/см"},
        {"Верхнее значение давления", "9,99;0;*", 3, 33, "кг/см"},
        {"Тип датчика уровня", "9,99;0;*", 3, 36, "МПа"},
        {"Нижние значение уровня", "99,9;0;*", 3, 39, "м"},
        {"Верхнее значение уровня", "99,9;0;*", 3, 42, "м"},
        {"Длительность гидроудара", "99;0;*", 2, 45, "сек"},
        {"Длительность пусковых токов", "9;0;*", 1, 47, "сек"},
        {"Количество перезапусков", "9;0;*", 1, 48, ""},
        {"Время перезапуска", "99;0;*", 2, 49, "мин"},
        {"Время задержки первого включения", "99;0;*", 2, 51, "мин"},
        {"Тип счётчика расхода воды", "999;0;*", 3, 53, ""},
        {"Время отключения компрессора", "99;0;*", 2, 56, "сек"},
        {"Максимальное время работы компрессора", "9;0;*", 1, 58, "мин"},
        {"Скорость обмена по RS485", "9;0;*", 1, 59, ""},
        {"Значение накопительного счётчика воды", "99999999;0;*", 8, 60, ""},
    }};
    return settings;
}

std::array<QString, SettingCount> DecodeSettings(const QByteArray& frame)
{
    std::array<QString, SettingCount> values;
    for (std::size_t n = 0; n < values.size(); ++n) {
        const TSetting& s = Settings()[n];
        const auto field = FieldAt(frame, s.Position, s.Width);
        if (!field)
            continue;
        // A field takes digits only: what follows a stranger character is not shown,
        // so no digit lands in a place it was not sent for.
        const auto end = std::find_if(field->begin(), field->end(), [](char c) { return c < '0' || c > '9'; });
        values[n] = QString::fromLatin1(field->left(end - field->begin()));
    }
    return values;
}

char WriteStepAnswer(int step) { return step == WriteStepCount ? PresetLetter : WriteStepLetter; }

TSettingsWrite CheckSettings(const QByteArray& deviceNumber, const std::array<QString, SettingCount>& values)
{
    TSettingsWrite write;
    int step = 0;
    for (int n = 1; n <= SettingCount; ++n) {
        if (n == ReadOnlySetting)
            continue;
        const QString& value = values[std::size_t(n - 1)];
        // An empty place inside a value would go out as a blank, and a digit of
        // another script as a character the unit does not read.
        const bool digits = std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (value.size() != Settings()[std::size_t(n - 1)].Width || !digits) {
            write.FailedField = n;
            write.Message = QStringLiteral("Ошибка. Уставка введена не правильно.");
            write.Requests = {};
            return write;
        }
        ++step;
        const QByteArray command =
            step == WriteStepCount
                ? PresetLetter + value.toLatin1()
                : WriteStepLetter + QByteArray::number(step).rightJustified(2, '0') + value.toLatin1();
        write.Requests[std::size_t(step - 1)] = Request(deviceNumber, command);
    }
    return write;
}

QStringList StatisticsLines(const QByteArray& frame, const QTime& time)
{
    auto plain = [&](int pos, int width) { return Text(FieldAt(frame, pos, width)); };
    // Three characters, a point, the fourth.
    auto tenths = [&](int pos) { return WithSeparator(FieldAt(frame, pos, 4), 4, '.'); };
    auto hundredths = [&](int pos) { return WithSeparator(FieldAt(frame, pos, 4), 3, '.'); };
    auto phases = [](const QString& a, const QString& b, const QString& c) {
        return QStringLiteral(" ") + a + QStringLiteral("  ") + b + QStringLiteral("  ") + c;
    };
    const auto loop = FieldAt(frame, 76, 1);
    const QString loopText =
        !loop ? QString() : (*loop == "0" ? QStringLiteral("БЫЛ ЗАКРЫТ") : QStringLiteral("БЫЛ ОТКРЫТ"));
    return {
        QStringLiteral("Время получения статистики ") + devices::LongTimeText(time),
        QString(),
        QStringLiteral("Максималиное значение тока по фазам А,В,С"),
        phases(tenths(6), tenths(10), tenths(14)),
        QStringLiteral("Минимальное значение тока по фазам А,В,С"),
        phases(tenths(18), tenths(22), tenths(26)),
        QStringLiteral("Интегральная сумма тока по фазам А,В,С"),
        phases(tenths(30), tenths(34), tenths(38)),
        QStringLiteral("Максималиное значение напряжения по фазам А,В,С"),
        phases(plain(42, 3), plain(45, 3), plain(48, 3)),
        QStringLiteral("Минимальное значение напряжения по фазам А,В,С"),
        phases(plain(51, 3), plain(54, 3), plain(57, 3)),
        QStringLiteral("Максималиное значение давления - ") + hundredths(60),
        QStringLiteral("Минимальное значение давления - ") + hundredths(64),
        QStringLiteral("Максималиное значение уровня - ") + tenths(68),
        QStringLiteral("Минимальное значение уровня - ") + tenths(72),
        QStringLiteral("Охранный шлейф - ") + loopText,
        QStringLiteral("Количество оставшихся перезапусков - ") + plain(77, 1),
        QStringLiteral("Время до следующего перезапуска - ") + plain(78, 2),
        QStringLiteral("Значение накопительного счётчика воды"),
        plain(80, 8),
    };
}

} // namespace olvin3m
