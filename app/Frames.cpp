#include "app/Frames.h"

QByteArray DeviceNumber;
bool PollActive = false;

QByteArray ChecksumHex(const QByteArray& text)
{
    unsigned sum = 0;
    for (const char c : text)
        sum += static_cast<unsigned char>(c);
    static constexpr char kHex[] = "0123456789ABCDEF";
    const char digits[2] = {kHex[(sum >> 4) & 0xF], kHex[sum & 0xF]};
    return QByteArray(digits, 2);
}

QByteArray MakeFrame(const QByteArray& body) { return body + ChecksumHex(body) + '\r'; }

bool FrameChecksumOK(const QByteArray& frame)
{
    if (frame.size() < 2)
        return false;
    return frame.right(2) == ChecksumHex(frame.left(frame.size() - 2));
}
