#include "devices/Frame.h"

namespace devices {

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
    if (frame.size() < ChecksumWidth)
        return false;
    return frame.right(ChecksumWidth) == ChecksumHex(frame.left(frame.size() - ChecksumWidth));
}

bool PayloadReaches(const QByteArray& frame, int lastPos)
{
    return lastPos >= 1 && frame.size() - ChecksumWidth >= lastPos;
}

std::optional<char> ResponseLetter(const QByteArray& frame)
{
    if (!PayloadReaches(frame, LetterPosition))
        return std::nullopt;
    return frame.at(LetterPosition - 1);
}

std::optional<char> CheckedLetter(const QByteArray& frame)
{
    if (!FrameChecksumOK(frame))
        return std::nullopt;
    return ResponseLetter(frame);
}

std::optional<QByteArray> FieldAt(const QByteArray& frame, int pos, int width)
{
    if (pos < 1 || width < 0 || !PayloadReaches(frame, pos + width - 1))
        return std::nullopt;
    return frame.mid(pos - 1, width);
}

std::optional<int> DigitsAt(const QByteArray& frame, int pos, int width)
{
    const auto field = FieldAt(frame, pos, width);
    if (!field || field->isEmpty())
        return std::nullopt;
    int value = 0;
    for (const char c : *field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

QByteArray Request(TDeviceKind kind, const QByteArray& deviceNumber, const QByteArray& command)
{
    return MakeFrame(KindPrefix(kind) + deviceNumber + command);
}

} // namespace devices
