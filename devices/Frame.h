#pragma once

#include "devices/DeviceKind.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace devices {

// Two upper-case hex digits of the 8-bit character sum of text.
QByteArray ChecksumHex(const QByteArray& text);
// body + its checksum + CR.
QByteArray MakeFrame(const QByteArray& body);
// A received frame without its CR: do its last two characters hold the sum of the rest?
bool FrameChecksumOK(const QByteArray& frame);

inline constexpr int LetterPosition = 5;
inline constexpr int ChecksumWidth = 2;
// The status request's command and its answer's letter, the same in every model.
inline constexpr char StatusLetter = 'T';

// The response letter at position 5, or nothing when position 5 is not before
// the two checksum characters: such a frame carries no letter at all.
std::optional<char> ResponseLetter(const QByteArray& frame);
// The letter of a frame whose checksum holds; nothing for any other frame.
std::optional<char> CheckedLetter(const QByteArray& frame);

// The width characters at 1-based position pos, when all of them lie before
// the checksum; nothing otherwise. No caller can read past a frame's end.
std::optional<QByteArray> FieldAt(const QByteArray& frame, int pos, int width);
// The same field read as unsigned decimal digits; nothing if any is not a digit.
std::optional<int> DigitsAt(const QByteArray& frame, int pos, int width);
// Does the payload reach position lastPos, the checksum following it?
bool PayloadReaches(const QByteArray& frame, int lastPos);

// The request frame of a model: prefix, device number, command, checksum, CR.
QByteArray Request(TDeviceKind kind, const QByteArray& deviceNumber, const QByteArray& command);

// What checking the user's input gives: the request frame to queue, or the
// exact message to show (and then nothing is queued).
struct TChecked {
    QByteArray Frame;
    QString Message;

    static TChecked Accept(QByteArray frame) { return {std::move(frame), QString()}; }
    static TChecked Refuse(QString message) { return {QByteArray(), std::move(message)}; }
    bool Accepted() const { return Message.isEmpty(); }
};

} // namespace devices
