#pragma once

#include <QByteArray>

// Address of the polled device: three characters once a start succeeded.
extern QByteArray DeviceNumber;
// True while polling runs; nothing goes on the line while it is false.
extern bool PollActive;

// body + two upper-case hex digits of the 8-bit character sum + CR.
QByteArray MakeFrame(const QByteArray& body);
// A received frame without its CR: do its last two characters hold the sum of the rest?
bool FrameChecksumOK(const QByteArray& frame);
// The two checksum digits of text, as MakeFrame writes them.
QByteArray ChecksumHex(const QByteArray& text);
