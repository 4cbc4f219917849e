#pragma once

#include <QString>

namespace cli {

// What the program says on stderr, Russian or English by the locale.
enum class TMsg {
    Usage,
    UnknownCommand,
    UnknownOption,
    MissingValue,
    MissingOption,
    BadValue,
    NotForModel,
    PortError,
    PortLost,
    NoEcho,
    NoAnswer,
    BadChecksum,
    UnexpectedAnswer,
    ScanProgress,
    ScanSummary,
};

// English when LC_ALL, LC_MESSAGES or LANG (the first one set) is "C",
// "POSIX" or an English locale; Russian otherwise.
bool EnglishWanted();
void SetEnglish(bool english);
// The language the texts are in now.
bool English();

// The text of msg, "%1"... to be filled with arg().
QString Text(TMsg msg);
// A message of the port component, which speaks Russian only.
QString PortMessage(const QString& russian);

} // namespace cli
