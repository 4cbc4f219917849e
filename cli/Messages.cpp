#include "cli/Messages.h"

#include <cstdlib>

namespace cli {

namespace {

bool FEnglish = EnglishWanted();

struct TPair {
    const char* Russian;
    const char* English;
};

TPair PairOf(TMsg msg)
{
    switch (msg) {
    case TMsg::Usage:
        return {"Использование: zorvex-cli КОМАНДА --port ПОРТ [параметры]; zorvex-cli --help",
                "Usage: zorvex-cli COMMAND --port PORT [options]; zorvex-cli --help"};
    case TMsg::UnknownCommand:
        return {"неизвестная команда «%1»", "unknown command \"%1\""};
    case TMsg::UnknownOption:
        return {"команда %1 не знает параметра %2", "command %1 takes no option %2"};
    case TMsg::MissingValue:
        return {"у параметра %1 нет значения", "option %1 needs a value"};
    case TMsg::MissingOption:
        return {"не задан параметр %1", "option %1 is missing"};
    case TMsg::BadValue:
        return {"неверное значение %1 «%2»: %3", "bad value of %1 \"%2\": %3"};
    case TMsg::NotForModel:
        return {"у модели «%1» нет чтения «%2»", "model \"%1\" has no \"%2\" to read"};
    case TMsg::PortError:
        return {"ошибка порта %1: %2", "port %1: %2"};
    case TMsg::PortLost:
        return {"порт %1 пропал (адаптер отключён?)", "port %1 vanished (adapter unplugged?)"};
    case TMsg::NoEcho:
        return {"нет эха от адаптера (проверьте порт, адаптер, проводку)",
                "no echo from the adapter (check the port, the adapter, the wiring)"};
    case TMsg::NoAnswer:
        return {"нет ответа от устройства %1 (проверьте адрес, питание, шину)",
                "no answer from device %1 (check the address, the power, the bus)"};
    case TMsg::BadChecksum:
        return {"ответ с неверной контрольной суммой: %1", "answer with a wrong checksum: %1"};
    case TMsg::UnexpectedAnswer:
        return {"ответ не на этот запрос: %1", "answer to another request: %1"};
    case TMsg::ScanProgress:
        return {"Поиск: адрес %1 (%2 из %3), найдено %4", "Scanning: address %1 (%2 of %3), found %4"};
    case TMsg::ScanSummary:
        return {"Найдено устройств: %1 из %2 адресов за %3 с", "Found %1 devices among %2 addresses in %3 s"};
    }
    return {"", ""};
}

// The port component's messages that a technician meets on the command line.
constexpr TPair PortMessages[] = {
    {"Попытка открыть несуществующий COM-порт", "no such serial port"},
    {"Порт занят другой программой", "the port is in use by another program"},
    {"Ошибка записи в порт", "writing to the port failed"},
    {"Ошибка чтения из порта", "reading from the port failed"},
};

} // namespace

bool EnglishWanted()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value)
            continue;
        const QString locale = QString::fromLocal8Bit(value);
        return locale == "C" || locale.startsWith("C.") || locale == "POSIX" || locale.startsWith("en");
    }
    return false;
}

void SetEnglish(bool english) { FEnglish = english; }

bool English() { return FEnglish; }

QString Text(TMsg msg)
{
    const TPair pair = PairOf(msg);
    return QString::fromUtf8(FEnglish ? pair.English : pair.Russian);
}

QString PortMessage(const QString& russian)
{
    if (FEnglish)
        for (const TPair& pair : PortMessages)
            if (russian == QString::fromUtf8(pair.Russian))
                return QString::fromUtf8(pair.English);
    return russian;
}

} // namespace cli
