#pragma once

#include "devices/Frame.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The unit of eight analog (current-loop) and eight discrete inputs: its
// answers decoded, and what the user writes checked and encoded.
namespace torvis {

inline constexpr int AnalogCount = 8;
inline constexpr int DiscreteCount = 8;
inline constexpr int LevelCount = 4;
inline constexpr int LevelWidth = 5;
inline constexpr int CalibrationWidth = 3;
// The channel character of the discrete input types in "u" and "U".
inline constexpr char DiscreteTypesChannel = '9';

// Answer letters.
inline constexpr char StatusLetter = devices::StatusLetter;
inline constexpr char SettingsLetter = 'u';
inline constexpr char SettingsWrittenLetter = 'U';
inline constexpr char VersionLetter = 'V';
inline constexpr char CalibrationLetter = 'd';
inline constexpr char CalibrationWrittenLetter = 'D';

// The sensor types (wire code = index) and the unit symbols (wire code = index,
// two digits), as the lists show them.
const QStringList& SensorTypeNames();
const QStringList& UnitSymbols();
// Item index = wire code of a discrete input type.
const QStringList& DiscreteTypeNames();

// What the value field of an analog channel shows.
struct TAnalogReading {
    QString Value;     // the six characters as received
    QString StateText; // the field's hint
    bool Alarm = false;
};

// What a discrete row shows.
struct TDiscreteReading {
    QString Caption;
    bool Ticked = false;
    QString Indicator;
};

// A channel the frame does not reach before its checksum stays empty, so its
// row keeps what it showed.
struct TStatus {
    std::array<std::optional<TAnalogReading>, AnalogCount> Analog;
    std::array<std::optional<TDiscreteReading>, DiscreteCount> Discrete;
};

TAnalogReading AnalogReading(char state, const QByteArray& value);
TDiscreteReading DiscreteReading(char code, char indicator);
TStatus DecodeStatus(const QByteArray& frame);

// The settings of one analog channel as the page shows them. A sensor type or
// unit code outside its list is -1: the list then shows no choice.
struct TAnalogSettings {
    int Channel = -1; // 1..8
    int SensorType = -1;
    int Unit = -1;
    std::array<QString, LevelCount> Levels; // page form
};

// Whether a "u" answer carries the discrete types rather than an analog channel.
bool IsDiscreteTypesAnswer(const QByteArray& frame);
// Nothing unless the answer reaches its last level and names a channel 1 to 8.
std::optional<TAnalogSettings> DecodeAnalogSettings(const QByteArray& frame);
// The item index of each discrete input; nothing for an answer too short.
std::optional<std::array<int, DiscreteCount>> DecodeDiscreteTypes(const QByteArray& frame);
// The text between the letter and the checksum, one line.
QString DecodeVersion(const QByteArray& frame);

struct TCalibration {
    QString Upper;
    QString Lower;
};
// Nothing for an answer that does not reach the lower value.
std::optional<TCalibration> DecodeCalibration(const QByteArray& frame);

// Level values: a sign then four characters with one point on the page; on the
// wire a plus sign travels as "0".
QString LevelFromWire(const QString& wire);
QString LevelToWire(const QString& shown);
// The message of the first format rule that text breaks; empty when none.
QString CheckLevelFormat(const QString& text);
// Does a level (sign place first) read as a decimal number?
bool IsLevelNumber(const QString& value);

QByteArray Request(const QByteArray& deviceNumber, const QByteArray& command);

// What the user chose and typed on the analog settings page.
struct TAnalogInput {
    int Channel = -1;
    int SensorType = -1;
    int Unit = -1;
    std::array<QString, LevelCount> Levels;
};

QByteArray DiscreteTypesRequest(const QByteArray& deviceNumber);
QByteArray VersionRequest(const QByteArray& deviceNumber);

// Whether a list has a choice.
bool CheckSelected(int itemIndex);

devices::TChecked CheckSettingsRead(const QByteArray& deviceNumber, int channel);
devices::TChecked CheckAnalogWrite(const QByteArray& deviceNumber, const TAnalogInput& input);
// indices: the choice of each discrete type list, -1 for none.
devices::TChecked CheckDiscreteWrite(const QByteArray& deviceNumber, const std::array<int, DiscreteCount>& indices);
devices::TChecked CheckCalibrationRead(const QByteArray& deviceNumber, int channel);
devices::TChecked CheckCalibrationWrite(const QByteArray& deviceNumber, int channel, const QString& upper,
                                        const QString& lower);

// The read-back that an accepted write ("U" or "D") asks for; nothing when the
// answer names no channel that can be read, or no calibration channel is chosen.
std::optional<QByteArray> ReadBackRequest(const QByteArray& deviceNumber, const QByteArray& frame,
                                          int calibrationChannel);

} // namespace torvis
