#include "cli/Options.h"

#include "cli/Messages.h"

#include <QSet>

#include <optional>

namespace cli {

namespace {

using devices::TDeviceKind;

struct TModelName {
    const char* Name;
    TDeviceKind Kind;
};

// Codes of the request, the device list's names, and Latin spellings for a
// keyboard without Cyrillic.
constexpr TModelName ModelNames[] = {
    {"OV3", TDeviceKind::Olvin3M}, {"Ольвин 3М", TDeviceKind::Olvin3M}, {"olvin3m", TDeviceKind::Olvin3M},
    {"SLT", TDeviceKind::Selta},   {"Сельта", TDeviceKind::Selta},      {"selta", TDeviceKind::Selta},
    {"1", TDeviceKind::Olvin4},    {"Ольвин 4э", TDeviceKind::Olvin4},  {"olvin4", TDeviceKind::Olvin4},
    {"TRV", TDeviceKind::Torvis},  {"ТОРВИС", TDeviceKind::Torvis},     {"torvis", TDeviceKind::Torvis},
};

std::optional<TDeviceKind> ParseModel(const QString& text)
{
    for (const TModelName& m : ModelNames)
        if (text.compare(QString::fromUtf8(m.Name), Qt::CaseInsensitive) == 0)
            return m.Kind;
    return std::nullopt;
}

std::optional<int> ParseInt(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || text.startsWith('+') || value < low || value > high)
        return std::nullopt;
    return value;
}

QString Reason(const char* russian, const char* english) { return QString::fromUtf8(English() ? english : russian); }

QString RangeReason(int low, int high)
{
    return Reason("ожидается целое число от %1 до %2", "a whole number from %1 to %2 is expected").arg(low).arg(high);
}

QSet<QString> OptionsOf(TCommand command)
{
    QSet<QString> common{"port", "baud", "format", "log"};
    switch (command) {
    case TCommand::Poll:
        return common + QSet<QString>{"model", "address", "count", "interval"};
    case TCommand::Scan:
        return common + QSet<QString>{"model", "from", "to", "tries", "timeout"};
    case TCommand::Read:
        return common + QSet<QString>{"model", "address", "channel"};
    case TCommand::Send:
        return common + QSet<QString>{"raw"};
    case TCommand::Help:
        break;
    }
    return {};
}

QStringList Required(TCommand command)
{
    switch (command) {
    case TCommand::Poll:
    case TCommand::Read:
        return {"port", "model", "address"};
    case TCommand::Scan:
        return {"port", "model"};
    case TCommand::Send:
        return {"port", "raw"};
    case TCommand::Help:
        break;
    }
    return {};
}

// Applies one option; the reason it is refused, empty when accepted.
QString Apply(TOptions& o, const QString& name, const QString& value)
{
    auto number = [&](int& field, int low, int high) {
        const auto v = ParseInt(value, low, high);
        if (!v)
            return RangeReason(low, high);
        field = *v;
        return QString();
    };
    if (name == "port") {
        if (value.isEmpty())
            return Reason("пустое имя порта", "an empty port name");
        o.Port = value;
    } else if (name == "baud") {
        const auto v = ParseInt(value, 0, 1'000'000);
        if (!v || (*v != 2400 && *v != 4800 && *v != 9600 && *v != 19200))
            return Reason("ожидается 2400, 4800, 9600 или 19200", "2400, 4800, 9600 or 19200 is expected");
        o.Baud = *v;
    } else if (name == "model") {
        const auto kind = ParseModel(value);
        if (!kind)
            return Reason("ожидается OV3, SLT, 1 или TRV", "OV3, SLT, 1 or TRV is expected");
        o.Kind = *kind;
    } else if (name == "address") {
        const auto v = ParseInt(value, 0, 999);
        if (!v || value.size() > 3)
            return Reason("ожидается номер из трёх цифр, от 000 до 999",
                          "a number of three digits, 000 to 999, is expected");
        o.Address = QByteArray::number(*v).rightJustified(3, '0');
    } else if (name == "count") {
        return number(o.Count, 1, 1'000'000'000);
    } else if (name == "interval") {
        return number(o.IntervalMs, 0, 3'600'000);
    } else if (name == "from") {
        return number(o.From, 0, 999);
    } else if (name == "to") {
        return number(o.To, 0, 999);
    } else if (name == "tries") {
        return number(o.Tries, 1, 5);
    } else if (name == "timeout") {
        return number(o.TimeoutMs, 10, 10'000);
    } else if (name == "channel") {
        return number(o.Channel, 1, 9);
    } else if (name == "raw") {
        const QByteArray raw = value.toLatin1();
        // The line knows a request by its "#", and a CR would end it early.
        if (!raw.startsWith('#') || raw.size() < 2 || raw.contains('\r') || raw.contains('\n') ||
            QString::fromLatin1(raw) != value)
            return Reason("тело запроса начинается с «#» и состоит из символов ASCII без CR и LF",
                          "the body begins with \"#\" and holds ASCII characters without CR or LF");
        o.Raw = raw;
    } else if (name == "format") {
        if (value == "json")
            o.Format = TFormat::Json;
        else if (value == "text")
            o.Format = TFormat::Text;
        else if (value == "csv")
            o.Format = TFormat::Csv;
        else
            return Reason("ожидается json, text или csv", "json, text or csv is expected");
    }
    return QString();
}

QString CommandName(TCommand command)
{
    switch (command) {
    case TCommand::Poll:
        return "poll";
    case TCommand::Scan:
        return "scan";
    case TCommand::Read:
        return "read";
    case TCommand::Send:
        return "send";
    case TCommand::Help:
        break;
    }
    return QString();
}

} // namespace

QString ModelName(devices::TDeviceKind kind) { return devices::KindListName(kind); }

TParsed ParseArguments(const QStringList& args)
{
    TParsed parsed;
    TOptions& o = parsed.Options;
    auto fail = [&](const QString& error) {
        parsed.Error = error;
        return parsed;
    };
    if (args.isEmpty())
        return fail(Text(TMsg::Usage));
    const QString first = args.first();
    if (first == "--help" || first == "-h" || first == "help")
        return parsed;
    static const QList<std::pair<QString, TCommand>> commands = {
        {"poll", TCommand::Poll}, {"scan", TCommand::Scan}, {"read", TCommand::Read}, {"send", TCommand::Send}};
    bool known = false;
    for (const auto& [name, command] : commands)
        if (first == name) {
            o.Command = command;
            known = true;
        }
    if (!known)
        return fail(Text(TMsg::UnknownCommand).arg(first));

    const QSet<QString> allowed = OptionsOf(o.Command);
    QSet<QString> given;
    bool whatGiven = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString arg = args[i];
        if (arg == "--help" || arg == "-h") {
            o.Command = TCommand::Help;
            return parsed;
        }
        if (!arg.startsWith("--")) {
            if (o.Command != TCommand::Read || whatGiven)
                return fail(Text(TMsg::UnknownOption).arg(CommandName(o.Command), arg));
            static const QList<std::pair<QString, TReadWhat>> whats = {{"settings", TReadWhat::Settings},
                                                                       {"statistics", TReadWhat::Statistics},
                                                                       {"version", TReadWhat::Version},
                                                                       {"calibration", TReadWhat::Calibration}};
            bool found = false;
            for (const auto& [name, what] : whats)
                if (arg == name) {
                    o.What = what;
                    found = true;
                }
            if (!found)
                return fail(Text(TMsg::BadValue)
                                .arg("read", arg,
                                     Reason("ожидается settings, statistics, version или calibration",
                                            "settings, statistics, version or calibration is expected")));
            whatGiven = true;
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        bool hasValue = false;
        if (const qsizetype eq = name.indexOf('='); eq >= 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            hasValue = true;
        }
        if (!allowed.contains(name))
            return fail(Text(TMsg::UnknownOption).arg(CommandName(o.Command), "--" + name));
        if (name == "log") {
            o.Log = true;
            continue;
        }
        if (!hasValue) {
            if (i + 1 >= args.size())
                return fail(Text(TMsg::MissingValue).arg("--" + name));
            value = args[++i];
        }
        if (const QString reason = Apply(o, name, value); !reason.isEmpty())
            return fail(Text(TMsg::BadValue).arg("--" + name, value, reason));
        given.insert(name);
    }
    for (const QString& name : Required(o.Command))
        if (!given.contains(name))
            return fail(Text(TMsg::MissingOption).arg("--" + name));
    if (o.Command == TCommand::Read && !whatGiven)
        return fail(Text(TMsg::MissingOption).arg("settings|statistics|version|calibration"));
    if (o.Command == TCommand::Scan && o.From > o.To)
        return fail(Text(TMsg::BadValue)
                        .arg("--to", QString::number(o.To),
                             Reason("конец диапазона меньше его начала", "the range ends before it begins")));
    return parsed;
}

QString HelpText()
{
    static const char* const russian = R"(zorvex-cli — обмен с устройствами ZORVEX по линии RS-485 без окна.

Команды:
  poll  --port ПОРТ --model МОДЕЛЬ --address NNN [--count N] [--interval МС]
        опрашивает состояние и печатает каждый ответ
  scan  --port ПОРТ --model МОДЕЛЬ [--from NNN] [--to NNN] [--tries K] [--timeout МС]
        спрашивает каждый адрес K раз и печатает ответившие
  read  settings|statistics|version|calibration --port ПОРТ --model МОДЕЛЬ --address NNN [--channel N]
        читает уставки, статистику, версию или юстировку, где они у модели есть
  send  --port ПОРТ --raw ТЕЛО
        дополняет ТЕЛО контрольной суммой и CR, посылает и печатает ответ

Параметры:
  --port ПОРТ        порт: имя (ttyUSB0, vsim0) или путь
  --baud B           скорость: 2400, 4800, 9600 или 19200 (по умолчанию 9600)
  --model МОДЕЛЬ     OV3 (Ольвин 3М), SLT (Сельта), 1 (Ольвин 4э), TRV (ТОРВИС)
  --address NNN      номер устройства, от 000 до 999
  --count N          poll: сколько ответов напечатать (по умолчанию без конца)
  --interval МС      poll: пауза после каждого ответа (по умолчанию 0)
  --from NNN         scan: первый адрес (по умолчанию 000)
  --to NNN           scan: последний адрес (по умолчанию 999)
  --tries K          scan: попыток на адрес, от 1 до 5 (по умолчанию 1)
  --timeout МС       scan: время ожидания ответа (по умолчанию 300)
  --channel N        read: канал ТОРВИС, 1-8 (9 — типы дискретных входов в settings)
  --raw ТЕЛО         send: тело запроса, начиная с «#», например "#SLT001T"
  --format ФОРМАТ    json (по умолчанию), text или csv
  --log              каждый кадр обмена на stderr
  --help             эта справка

Коды завершения:
  0  успех
  2  неверные аргументы
  3  ошибка порта
  4  нет эха от адаптера (порт, адаптер, проводка)
  5  нет ответа от устройства (адрес, питание, шина)
  6  ответ не прошёл проверку (контрольная сумма или не тот ответ)

Сообщения выводятся на stderr по-русски; LANG=C даёт их по-английски.
)";
    static const char* const english = R"(zorvex-cli - exchange with ZORVEX devices on an RS-485 line, without a window.

Commands:
  poll  --port PORT --model MODEL --address NNN [--count N] [--interval MS]
        polls the status and prints each answer
  scan  --port PORT --model MODEL [--from NNN] [--to NNN] [--tries K] [--timeout MS]
        asks each address K times and prints those that answer
  read  settings|statistics|version|calibration --port PORT --model MODEL --address NNN [--channel N]
        reads the settings, statistics, version or calibration where the model has them
  send  --port PORT --raw BODY
        frames BODY with its checksum and CR, sends it and prints the answer

Options:
  --port PORT        the port: a name (ttyUSB0, vsim0) or a path
  --baud B           line speed: 2400, 4800, 9600 or 19200 (default 9600)
  --model MODEL      OV3 (Ольвин 3М), SLT (Сельта), 1 (Ольвин 4э), TRV (ТОРВИС)
  --address NNN      the device number, 000 to 999
  --count N          poll: answers to print (default: without end)
  --interval MS      poll: pause after each answer (default 0)
  --from NNN         scan: first address (default 000)
  --to NNN           scan: last address (default 999)
  --tries K          scan: tries per address, 1 to 5 (default 1)
  --timeout MS       scan: response timeout (default 300)
  --channel N        read: a ТОРВИС channel, 1-8 (9: the discrete input types with settings)
  --raw BODY         send: the request body, beginning with "#", e.g. "#SLT001T"
  --format FORMAT    json (default), text or csv
  --log              every frame of the exchange on stderr
  --help             this help

Exit status:
  0  success
  2  bad arguments
  3  port error
  4  no echo from the adapter (port, adapter, wiring)
  5  no answer from the device (address, power, bus)
  6  the answer failed its check (checksum, or not the answer asked for)

Messages go to stderr in Russian; LANG=C gives them in English.
)";
    return QString::fromUtf8(English() ? english : russian);
}

} // namespace cli
