// "Ольвин 4э": the status decoder and the response letter on any frame.
#include "FuzzSupport.h"
#include "devices/Cp1251.h"
#include "devices/Olvin4.h"

namespace {

void CheckStatus(const QByteArray& frame)
{
    const olvin4::TStatus status = olvin4::DecodeStatus(frame);
    for (int n = 0; n < olvin4::ChannelCount; ++n) {
        const auto& channel = status.Channels[static_cast<std::size_t>(n)];
        const auto field = devices::FieldAt(frame, 6 + 4 * n, 4);
        // A channel the frame does not reach before its checksum shows nothing.
        FUZZ_CHECK(field.has_value() || (channel.Value.isEmpty() && channel.State.isEmpty()));
        if (!field)
            continue;
        FUZZ_CHECK(channel.Value.size() == 5 && channel.Value.at(3) == u'.');
        FUZZ_CHECK(channel.Value.left(3) == devices::FromCp1251(field->left(3)));
        FUZZ_CHECK(channel.State == olvin4::ChannelStateText(*field));
    }
    if (const auto letter = devices::ResponseLetter(frame))
        FUZZ_CHECK(frame.size() >= 7 && *letter == frame.at(4));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray raw(reinterpret_cast<const char*>(data), qsizetype(size));
    CheckStatus(raw);
    CheckStatus(raw + devices::ChecksumHex(raw));
    return 0;
}
