// "ТОРВИС" answers and what the user types: the decoders on the frame as it
// came and with its checksum made right, and the level checks and write
// encoding on arbitrary text.
#include "FuzzSupport.h"
#include "devices/Torvis.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

void CheckDecoders(const QByteArray& frame, int calibrationChannel)
{
    const int payload = int(frame.size()) - devices::ChecksumWidth;
    const torvis::TStatus status = torvis::DecodeStatus(frame);
    for (int n = 0; n < torvis::AnalogCount; ++n) {
        FUZZ_CHECK(status.Analog[std::size_t(n)].has_value() == (payload >= 12 + 7 * n));
        FUZZ_CHECK(status.Discrete[std::size_t(n)].has_value() == (payload >= 63 + 2 * n));
    }
    if (const auto settings = torvis::DecodeAnalogSettings(frame)) {
        FUZZ_CHECK(payload >= 29 && settings->Channel >= 1 && settings->Channel <= 8);
        FUZZ_CHECK(settings->SensorType >= -1 && settings->SensorType <= 2);
        FUZZ_CHECK(settings->Unit >= -1 && settings->Unit <= 19);
        for (const QString& level : settings->Levels)
            FUZZ_CHECK(level.size() == torvis::LevelWidth);
    }
    if (const auto types = torvis::DecodeDiscreteTypes(frame))
        FUZZ_CHECK(payload >= 14 && torvis::IsDiscreteTypesAnswer(frame));
    FUZZ_CHECK(torvis::DecodeCalibration(frame).has_value() == (payload >= 12));
    FUZZ_CHECK(torvis::DecodeVersion(frame).size() == qMax(payload - 5, 0));
    if (const auto next = torvis::ReadBackRequest("001", frame, calibrationChannel))
        FUZZ_CHECK(next->size() == 12 && (next->startsWith("#TRV001u") || next->startsWith("#TRV001d")) &&
                   next->at(8) >= '1' && next->at(8) <= '9');
}

void CheckLevels(const QString& level, const std::array<QString, torvis::LevelCount>& levels, int channel)
{
    const QString wire = torvis::LevelToWire(level);
    FUZZ_CHECK(torvis::LevelFromWire(wire) == level || level.startsWith(QLatin1Char('0')));
    if (torvis::CheckLevelFormat(level).isEmpty())
        FUZZ_CHECK(level.size() == torvis::LevelWidth && level.contains(QLatin1Char('.')));
    (void)torvis::IsLevelNumber(wire);
    const devices::TChecked write = torvis::CheckAnalogWrite("001", {channel, 2, 18, levels});
    FUZZ_CHECK(write.Accepted() != write.Frame.isEmpty());
    if (write.Accepted())
        FUZZ_CHECK(write.Frame.size() == 35 && write.Frame.endsWith('\r'));
    const devices::TChecked calibration = torvis::CheckCalibrationWrite("001", channel, level, levels[1]);
    if (calibration.Accepted())
        FUZZ_CHECK(calibration.Frame.size() == 18);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int channel = in.ConsumeIntegralInRange(-1, 9);
    std::array<QString, torvis::LevelCount> levels;
    for (QString& level : levels)
        level = QString::fromUtf8(in.ConsumeRandomLengthString(8).c_str());
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QByteArray raw(rest.data(), qsizetype(rest.size()));
    CheckDecoders(raw, channel);
    CheckDecoders(raw + devices::ChecksumHex(raw), channel);
    CheckLevels(levels[0], levels, channel);
    return 0;
}
