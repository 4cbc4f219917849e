#pragma once

#include "devices/DeviceKind.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace cli {

// Exit statuses, as --help and the manual page list them.
enum TExit : int {
    ExitOk = 0,
    ExitUsage = 2,
    ExitPort = 3,
    ExitNoEcho = 4,
    ExitNoAnswer = 5,
    ExitBadAnswer = 6,
};

enum class TCommand { Help, Poll, Scan, Read, Send };
enum class TFormat { Json, Text, Csv };
enum class TReadWhat { Settings, Statistics, Version, Calibration };

struct TOptions {
    TCommand Command = TCommand::Help;
    QString Port;
    int Baud = 9600;
    devices::TDeviceKind Kind = devices::TDeviceKind::None;
    QByteArray Address; // three digits
    int Count = 0;      // poll: answers to print; 0 without end
    int IntervalMs = 0; // poll: pause after an answer
    int From = 0;
    int To = 999;
    int Tries = 1;
    int TimeoutMs = 300;
    TReadWhat What = TReadWhat::Settings;
    int Channel = 0; // 0: none given
    QByteArray Raw;
    TFormat Format = TFormat::Json;
    bool Log = false;
};

struct TParsed {
    TOptions Options;
    QString Error; // empty when the arguments hold
};

// The arguments after the program's name.
TParsed ParseArguments(const QStringList& args);

// The full --help text in the current language.
QString HelpText();

// The request's model as the device list names it.
QString ModelName(devices::TDeviceKind kind);

} // namespace cli
