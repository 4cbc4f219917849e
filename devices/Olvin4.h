#pragma once

#include "devices/Frame.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace olvin4 {

inline constexpr int ChannelCount = 6;

// What one channel row shows.
struct TChannelReading {
    QString Value;
    QString State;
};

struct TStatus {
    std::array<TChannelReading, ChannelCount> Channels;
};

// The state text of a four-character channel field; empty unless it is one of the four state codes.
QString ChannelStateText(const QByteArray& field);

// Decodes a "T" response (without CR, checksum already checked). A channel whose four
// characters are not all in the frame before its checksum shows an empty row.
TStatus DecodeStatus(const QByteArray& frame);

inline constexpr char StatusLetter = devices::StatusLetter;

// A channel's start ('W') or stop ('w') command for channel 1 to 6.
QByteArray CommandRequest(const QByteArray& deviceNumber, int channel, char command);

} // namespace olvin4
