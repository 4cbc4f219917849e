#pragma once

#include <QByteArray>

// The device side's own copy of the line checksum: the simulator must not pull in
// the program's libraries, and a second implementation keeps each side honest.
namespace sim {

// Two upper-case hex digits of the 8-bit sum of text's character codes.
QByteArray ChecksumHex(const QByteArray& text);
// body + checksum + CR.
QByteArray Frame(const QByteArray& body);
// A line without its CR: do the last two characters hold the sum of the rest?
bool ChecksumOK(const QByteArray& line);

} // namespace sim
