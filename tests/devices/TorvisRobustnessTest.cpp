#include "devices/Torvis.h"

#include "support/Frames.h"
#include "support/RandomText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using namespace torvis;

// "~001" + a letter of the model + payload of any length, the checksum right;
// now and then plain noise. The decoders trust nothing of it but its size.
QByteArray RandomAnswer(std::mt19937& rng)
{
    QByteArray body = RandomBytes(rng, int(rng() % 90), "0123456789+-.9 NEeMmoX");
    if (rng() % 8 != 0)
        body = "~001" + QByteArray(1, QByteArray("TuUVdD").at(rng() % 6)) + body;
    return WithSum(body).left(int(rng() % 100));
}

TEST(TorvisRobustness, DecodersTakeOnlyWhatLiesBeforeTheChecksum)
{
    std::mt19937 rng(12);
    for (int i = 0; i < 20000; ++i) {
        const QByteArray frame = RandomAnswer(rng);
        const int payload = int(frame.size()) - 2; // characters before the checksum
        SCOPED_TRACE(frame.toHex().constData());
        const TStatus status = DecodeStatus(frame);
        for (int n = 0; n < 8; ++n) {
            ASSERT_EQ(status.Analog[n].has_value(), payload >= 12 + 7 * n);
            ASSERT_EQ(status.Discrete[n].has_value(), payload >= 63 + 2 * n);
            if (status.Analog[n]) {
                ASSERT_EQ(status.Analog[n]->Value.size(), 6);
            }
        }
        if (const auto settings = DecodeAnalogSettings(frame)) {
            ASSERT_GE(payload, 29);
            ASSERT_TRUE(settings->Channel >= 1 && settings->Channel <= 8);
            ASSERT_TRUE(settings->SensorType >= -1 && settings->SensorType <= 2);
            ASSERT_TRUE(settings->Unit >= -1 && settings->Unit <= 19);
            for (const QString& level : settings->Levels)
                ASSERT_TRUE(level.size() == 5 && !level.startsWith(QLatin1Char('0')));
        }
        if (const auto types = DecodeDiscreteTypes(frame)) {
            ASSERT_GE(payload, 14);
            for (const int type : *types)
                ASSERT_TRUE(type == 0 || type == 1);
        }
        ASSERT_EQ(DecodeCalibration(frame).has_value(), payload >= 12);
        const QString version = DecodeVersion(frame);
        ASSERT_EQ(version.size(), qMax(payload - 5, 0));
        ASSERT_FALSE(version.contains(QLatin1Char('\n')));
        if (const auto next = ReadBackRequest("001", frame, int(rng() % 10) - 1)) {
            ASSERT_TRUE(next->startsWith("#TRV001u") || next->startsWith("#TRV001d"));
            ASSERT_EQ(next->size(), 12);
            ASSERT_TRUE(next->at(8) >= '1' && next->at(8) <= '9');
        }
    }
}

TEST(TorvisRobustness, AnAcceptedWriteIsAlwaysAWellFormedFrame)
{
    std::mt19937 rng(13);
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        TAnalogInput input{int(rng() % 10) - 1, int(rng() % 4) - 1, int(rng() % 22) - 1, {}};
        // Mostly levels of the right shape with the point in one place, some anything.
        const int point = 1 + int(rng() % 4);
        for (QString& level : input.Levels) {
            level = rng() % 2 ? QStringLiteral("+") : QStringLiteral("-");
            for (int place = 1; place < 5; ++place) {
                const QChar shaped = place == point ? QLatin1Char('.') : QLatin1Char(char('0' + rng() % 10));
                level += rng() % 16 ? QString(shaped) : RandomText(rng, 1, " .+");
            }
            if (rng() % 16 == 0)
                level = RandomText(rng, 3 + int(rng() % 4), QStringLiteral("+-0123456789. "));
        }
        const devices::TChecked write = CheckAnalogWrite("001", input);
        ASSERT_NE(write.Accepted(), write.Frame.isEmpty());
        if (!write.Accepted())
            continue;
        ++accepted;
        // Body of 32 characters, checksum and CR.
        ASSERT_EQ(write.Frame.size(), 35) << write.Frame.constData();
        ASSERT_TRUE(write.Frame.endsWith('\r'));
        const QByteArray levels = write.Frame.mid(12, 20);
        for (int k = 0; k < 4; ++k) {
            const QByteArray level = levels.mid(5 * k, 5);
            ASSERT_TRUE(level.startsWith('0') || level.startsWith('-')) << level.constData();
            ASSERT_EQ(level.indexOf('.'), levels.left(5).indexOf('.'));
            ASSERT_TRUE(IsLevelNumber(QString::fromLatin1(level)));
        }
        const devices::TChecked calibration =
            CheckCalibrationWrite("001", input.Channel, input.Levels[0].left(3), input.Levels[1].right(3));
        if (calibration.Accepted()) {
            const QByteArray values = calibration.Frame.mid(9, 6);
            ASSERT_EQ(calibration.Frame.size(), 18);
            ASSERT_TRUE(std::all_of(values.begin(), values.end(), [](char c) { return c >= '0' && c <= '9'; }));
        }
    }
    EXPECT_GT(accepted, 50);
}

} // namespace
