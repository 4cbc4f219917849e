#pragma once

#include "devices/Frame.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTime>

#include <array>
#include <cstdint>
#include <optional>

// The two-channel indication unit: its answers decoded, its values converted
// between counts and units, and what the user writes checked and encoded.
namespace selta {

// Display modes of a channel.
enum TDisplayMode : std::uint8_t { dmCurrent = 0, dmPressureMPa = 1, dmPressureKgf = 2, dmLevel = 3 };

struct ChannelStatus {
    char SensorType = '0'; // '0': 0-5 mA, anything else 4-20 mA
    int Limit = 0;         // hundredths of a MPa
    int Count = 0;
    bool Depressurised = false;
};

struct Status {
    std::array<ChannelStatus, 2> Channel;
};

// The settings and statistics answers share the layout of a channel.
struct ChannelRecord {
    char SensorType = '0';
    int Limit = 0;
    int Maximum = 0;
    int Minimum = 0;
};

struct Settings {
    std::array<ChannelRecord, 2> Channel;
    char Alarm = '0';
};

struct Statistics {
    std::array<ChannelRecord, 2> Channel;
    std::array<bool, 2> Depressurised{};
};

// Each decoder returns nothing for a frame that is too short or whose number
// fields are not three decimal digits, so such a frame changes nothing shown.
std::optional<Status> DecodeStatusFrame(const QByteArray& frame);
std::optional<Settings> DecodeSettingsFrame(const QByteArray& frame);
std::optional<Statistics> DecodeStatisticsFrame(const QByteArray& frame);

// The value of a channel in the unit of the mode, before formatting.
double ChannelNumber(int mode, char sensorType, int count, double limit);
// The text of a channel's value: at most four characters and the unit.
QString FormatChannelValue(int mode, char sensorType, int count, double limit);
// The count of a value typed in the mode's unit as three digits; empty
// when it is not a count of 0 to 999 (a limit of 0, a value too large).
QByteArray ChannelValueToCode(int mode, int sensorIndex, double value, double limit);
// The digits that a d,dd field (or dd,d with twoIntegerDigits) shows for
// a value text; empty for a negative value or one too large for the field.
QString ValueToMaskDigits(const QString& valueText, bool twoIntegerDigits);
QString UnitLabel(int mode);

// Masks of the settings fields: the limit always, maximum and minimum by mode.
inline constexpr const char* MaskSmall = "9,99;0;*";
inline constexpr const char* MaskTwoDigits = "99,9;0;*";
// Maximum and minimum take two integer digits only for a current of a 4-20 mA sensor.
bool UsesTwoIntegerDigits(int mode, int sensorIndex);

// What a maximum or minimum field shows for a count: its digits, and a tool tip
// naming a value too large for the field (which then stays empty).
struct TFieldValue {
    QString Digits;
    QString ToolTip;
};
TFieldValue SettingsFieldValue(int mode, char sensorType, int count, double limit, bool twoIntegerDigits);

// The 17 lines of a statistics answer, read at the given time of day.
QStringList StatisticsLines(const Statistics& stats, int mode1, int mode2, const QTime& time);

// What the user typed for one channel (number 1 or 2).
struct TChannelInput {
    int Number = 1;
    int Mode = dmCurrent;
    int SensorIndex = 0;
    QString LimitEditText;
    QString LimitText;
    QString MaximumEditText;
    QString MinimumEditText;
};

// "D": sensor type and limit. "W": maximum and minimum, as counts.
devices::TChecked CheckTypeAndLimit(const QByteArray& deviceNumber, const TChannelInput& input);
devices::TChecked CheckMaxAndMin(const QByteArray& deviceNumber, const TChannelInput& input);

QByteArray Request(const QByteArray& deviceNumber, const QByteArray& command);

// Answer letters.
inline constexpr char StatusLetter = devices::StatusLetter;
inline constexpr char SettingsLetter = 'u';
inline constexpr char StatisticsLetter = 'S';
// "B", "D" and "W" acknowledge a write.
bool IsWriteAcknowledgement(char letter);

} // namespace selta
