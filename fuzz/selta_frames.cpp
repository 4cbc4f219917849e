// "Сельта": the three decoders, the value conversions and the write checks,
// on any frame and any text a user could type.
#include "FuzzSupport.h"
#include "devices/Selta.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

bool InRange(int v) { return v >= 0 && v <= 999; }

void CheckDecoders(const QByteArray& frame)
{
    if (const auto s = selta::DecodeStatusFrame(frame)) {
        FUZZ_CHECK(frame.size() >= 23);
        for (const auto& c : s->Channel)
            FUZZ_CHECK(InRange(c.Limit) && InRange(c.Count));
    }
    auto checkRecords = [&](const auto& channels) {
        FUZZ_CHECK(frame.size() >= 28);
        for (const selta::ChannelRecord& c : channels)
            FUZZ_CHECK(InRange(c.Limit) && InRange(c.Maximum) && InRange(c.Minimum));
    };
    if (const auto s = selta::DecodeSettingsFrame(frame))
        checkRecords(s->Channel);
    if (const auto s = selta::DecodeStatisticsFrame(frame))
        checkRecords(s->Channel);
}

QString Text(FuzzedDataProvider& in)
{
    const std::string s = in.ConsumeRandomLengthString(12);
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    selta::TChannelInput input;
    input.Number = in.ConsumeIntegralInRange(1, 2);
    input.Mode = in.ConsumeIntegralInRange(0, 3);
    input.SensorIndex = in.ConsumeIntegralInRange(-1, 1);
    input.LimitEditText = Text(in);
    input.LimitText = Text(in);
    input.MaximumEditText = Text(in);
    input.MinimumEditText = Text(in);
    for (const devices::TChecked& c : {selta::CheckTypeAndLimit("001", input), selta::CheckMaxAndMin("001", input)}) {
        // Exactly one of the two: a frame to queue, or the message.
        FUZZ_CHECK(c.Accepted() != c.Frame.isEmpty());
        if (c.Accepted())
            FUZZ_CHECK(c.Frame.startsWith("#SLT001") && c.Frame.endsWith('\r'));
    }
    const double value = in.ConsumeFloatingPoint<double>();
    const double limit = in.ConsumeFloatingPoint<double>();
    const QByteArray code = selta::ChannelValueToCode(input.Mode, input.SensorIndex, value, limit);
    FUZZ_CHECK(code.isEmpty() || (code.size() == 3 && InRange(code.toInt())));
    const int count = in.ConsumeIntegralInRange(0, 999);
    const QString shown = selta::FormatChannelValue(input.Mode, in.ConsumeBool() ? '0' : '1', count, limit);
    FUZZ_CHECK(shown.indexOf(u' ') <= 4);
    FUZZ_CHECK(selta::ValueToMaskDigits(Text(in), in.ConsumeBool()).size() <= 3);

    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QByteArray raw(rest.data(), qsizetype(rest.size()));
    CheckDecoders(raw);
    CheckDecoders(raw + devices::ChecksumHex(raw));
    return 0;
}
