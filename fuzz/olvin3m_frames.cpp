// "Ольвин 3М" answers: every decoder on arbitrary bytes, as they came and with
// their checksum made right, and the settings write check on arbitrary input.
#include "FuzzSupport.h"
#include "devices/Olvin3M.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QTime>

namespace {

// Nothing shown may hold more than its field and its separator.
void CheckDecoders(const QByteArray& frame)
{
    if (const auto status = olvin3m::DecodeStatus(frame))
        for (const QString& value : status->Values)
            FUZZ_CHECK(value.size() <= 5);
    const auto settings = olvin3m::DecodeSettings(frame);
    for (std::size_t n = 0; n < settings.size(); ++n) {
        FUZZ_CHECK(settings[n].size() <= olvin3m::Settings()[n].Width);
        for (const QChar c : settings[n])
            FUZZ_CHECK(c >= u'0' && c <= u'9');
    }
    FUZZ_CHECK(olvin3m::StatisticsLines(frame, QTime(12, 0)).size() == olvin3m::StatisticsLineCount);
    const QByteArrayList lines = olvin3m::IdentificationLines(frame);
    FUZZ_CHECK(lines.size() == 3 && lines[2].size() <= 7 + 28);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    std::array<QString, olvin3m::SettingCount> values;
    for (QString& value : values) {
        const std::string typed = in.ConsumeRandomLengthString(10);
        value = QString::fromUtf8(typed.data(), qsizetype(typed.size()));
    }
    const olvin3m::TSettingsWrite write = olvin3m::CheckSettings("001", values);
    for (const QByteArray& request : write.Requests)
        FUZZ_CHECK(write.Accepted() ? request.endsWith('\r') && !request.contains('?') : request.isEmpty());

    const std::string rest = in.ConsumeRemainingBytesAsString();
    // An exact copy: a read past the end is a read outside the allocation.
    const QByteArray raw(rest.data(), qsizetype(rest.size()));
    CheckDecoders(raw);
    CheckDecoders(raw + devices::ChecksumHex(raw));
    return 0;
}
