#include "sim/Checksum.h"

namespace sim {

QByteArray ChecksumHex(const QByteArray& text)
{
    unsigned sum = 0;
    for (const char c : text)
        sum += static_cast<unsigned char>(c);
    static constexpr char kHex[] = "0123456789ABCDEF";
    const char digits[2] = {kHex[(sum >> 4) & 0xF], kHex[sum & 0xF]};
    return QByteArray(digits, 2);
}

QByteArray Frame(const QByteArray& body) { return body + ChecksumHex(body) + '\r'; }

bool ChecksumOK(const QByteArray& line)
{
    if (line.size() < 2)
        return false;
    return line.right(2) == ChecksumHex(line.left(line.size() - 2));
}

} // namespace sim
