#pragma once

#include <QByteArray>

// The test's own view of the line: frames are checked here without the code under test.
namespace simtest {

inline QByteArray Hex2(unsigned value)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const char digits[2] = {kHex[(value >> 4) & 0xF], kHex[value & 0xF]};
    return QByteArray(digits, 2);
}

inline unsigned Sum(const QByteArray& text)
{
    unsigned sum = 0;
    for (const char c : text)
        sum += static_cast<unsigned char>(c);
    return sum & 0xFF;
}

// A request as the program puts it on the line.
inline QByteArray Request(const QByteArray& body) { return body + Hex2(Sum(body)) + '\r'; }

// A whole answer: "~", at least address and letter, a correct checksum, CR.
inline bool ValidAnswer(const QByteArray& frame)
{
    if (frame.size() < 8 || !frame.startsWith('~') || !frame.endsWith('\r') || frame.count('\r') != 1)
        return false;
    const QByteArray line = frame.chopped(1);
    return line.right(2) == Hex2(Sum(line.chopped(2)));
}

} // namespace simtest
