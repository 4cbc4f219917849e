#pragma once

#include "devices/Frame.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <array>
#include <optional>

// The pump controller with a compressor: its requests, its answers decoded
// for display, and the settings a technician writes, checked and encoded.
namespace olvin3m {

// Answer letters.
inline constexpr char StatusLetter = devices::StatusLetter;
inline constexpr char IdentificationLetter = 'A';
inline constexpr char WriteStepLetter = 'U';
inline constexpr char PresetLetter = 'I';
inline constexpr char SettingsLetter = 'u';
inline constexpr char StatisticsLetter = 't';

// prefix + device number + command, framed.
QByteArray Request(const QByteArray& deviceNumber, const QByteArray& command);
// "#OVA": the one request without a device number.
QByteArray IdentificationRequest();

// ---- Status ----

// The ten value fields of a status answer, in the order the panel lists them:
// currents А, В, С, voltages А, В, С, pressure, level, water meter, flow rate.
inline constexpr int StatusValueCount = 10;

struct TStatus {
    // Nothing: the state field keeps its text (a letter outside the table).
    std::optional<QString> State;
    std::array<QString, StatusValueCount> Values;
    QString Loop;
    QString Mode;
    // Nothing: the bubbling field keeps its text (a code outside the table).
    std::optional<QString> Bubbling;
};

// A "T" answer with its checksum already checked. Nothing when the state is "N"
// and a phase current it needs is no decimal number: then nothing shown changes.
// A field that does not lie wholly before the checksum reads as empty.
std::optional<TStatus> DecodeStatus(const QByteArray& frame);

// The text of a bubbling code; nothing for a code outside the table.
std::optional<QString> BubblingText(unsigned char code);

// ---- Identification ----

// The three exchange log lines of an "A" answer, in the line's code page:
// number, password (sent reversed), version. Its checksum is not looked at.
QByteArrayList IdentificationLines(const QByteArray& frame);

// ---- Settings ----

inline constexpr int SettingCount = 23;
// Field 22 (the line speed) is shown only; the other 22 are written in order.
inline constexpr int ReadOnlySetting = 22;
inline constexpr int WriteStepCount = 22;

struct TSetting {
    const char* Caption; // UTF-8
    const char* Mask;
    int Width;        // digits on the wire
    int Position;     // first position in the "u" answer
    const char* Unit; // UTF-8; empty when the row has no unit
};

// Rows 1 to 23, top to bottom.
const std::array<TSetting, SettingCount>& Settings();

// The value of each field in a "u" answer: the digits at its positions, cut at
// the first character that is not a digit. A field the frame does not carry
// wholly before its checksum is empty.
std::array<QString, SettingCount> DecodeSettings(const QByteArray& frame);

// What "Установить" checks: every written field must hold exactly its width of
// digits. The requests of all 22 steps are made at once, from the values checked.
struct TSettingsWrite {
    std::array<QByteArray, WriteStepCount> Requests;
    int FailedField = 0; // 1-based; 0 when all passed
    QString Message;
    bool Accepted() const { return FailedField == 0; }
};
TSettingsWrite CheckSettings(const QByteArray& deviceNumber, const std::array<QString, SettingCount>& values);

// The letter that answers write step 1 to 22.
char WriteStepAnswer(int step);

// ---- Statistics ----

inline constexpr int StatisticsLineCount = 21;

// The lines of a "t" answer decoded at the given time of day. A value the frame
// does not carry wholly before its checksum is left out of its line.
QStringList StatisticsLines(const QByteArray& frame, const QTime& time);

} // namespace olvin3m
