// Randomized checks of the "Ольвин 3М" decoders and write check: whatever the
// line brings, nothing is read past a frame's end and nothing shown comes from
// outside the positions the frame carries.
#include "devices/Cp1251.h"
#include "devices/Olvin3M.h"

#include "support/Frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

QByteArray RandomBytes(std::mt19937& rng, int size, const QByteArray& picks)
{
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes.append(rng() % 4 == 0 ? char(rng() % 256) : picks.at(rng() % picks.size()));
    return bytes;
}

QByteArray Digits(std::mt19937& rng, int size)
{
    QByteArray digits;
    for (int i = 0; i < size; ++i)
        digits.append(char('0' + rng() % 10));
    return digits;
}

// A frame of letter with a random payload, its checksum right or not there at all.
QByteArray AnyFrame(std::mt19937& rng, char letter)
{
    QByteArray body = "~001" + QByteArray(1, letter) + RandomBytes(rng, int(rng() % 100), "0123456789~#\r NAUDHS");
    if (rng() % 5 == 0)
        body = RandomBytes(rng, int(rng() % 8), "~01T");
    return rng() % 2 ? WithSum(body) : body;
}

// The same answer cut after position cut and summed again.
QByteArray Cut(const QByteArray& frame, int cut) { return WithSum(frame.left(cut)); }

TEST(Olvin3mRobustness, AnyFrameDecodesWithoutReadingPastItsEnd)
{
    std::mt19937 rng(31);
    for (int i = 0; i < 5000; ++i) {
        for (const char letter : {'T', 'u', 't', 'A'}) {
            const QByteArray frame = AnyFrame(rng, letter);
            // QByteArray::mid never reads outside; a copy without spare capacity
            // lets the sanitizers see any raw access past the end.
            const QByteArray exact(frame.constData(), frame.size());
            const auto status = olvin3m::DecodeStatus(exact);
            if (status) {
                for (const QString& value : status->Values)
                    ASSERT_LE(value.size(), 5);
            }
            for (const QString& value : olvin3m::DecodeSettings(exact))
                ASSERT_LE(value.size(), 8);
            ASSERT_EQ(olvin3m::StatisticsLines(exact, QTime(1, 2, 3)).size(), olvin3m::StatisticsLineCount);
            const QByteArrayList lines = olvin3m::IdentificationLines(exact);
            ASSERT_EQ(lines.size(), 3);
            // What follows each label lies before the checksum.
            const QByteArray carried = exact.left(qMax<qsizetype>(0, exact.size() - 2));
            ASSERT_TRUE(carried.contains(lines[0].mid(6)));
            ASSERT_LE(lines[2].size(), 7 + 28);
            ASSERT_TRUE(carried.contains(lines[2].mid(7)));
        }
    }
}

TEST(Olvin3mRobustness, ACutStatusShowsWholeFieldsOrNothing)
{
    std::mt19937 rng(32);
    const std::pair<int, int> fields[olvin3m::StatusValueCount] = {{7, 4},  {11, 4}, {15, 4}, {19, 3}, {22, 3},
                                                                   {25, 3}, {28, 4}, {32, 4}, {36, 4}, {40, 4}};
    for (int i = 0; i < 3000; ++i) {
        const char state = "AUDHSX"[rng() % 6];
        const QByteArray body = "~001T" + QByteArray(1, state) + Digits(rng, 38) + char(rng() % 256) + '1';
        const auto full = olvin3m::DecodeStatus(WithSum(body));
        ASSERT_TRUE(full);
        const int cut = 5 + int(rng() % 42);
        const auto part = olvin3m::DecodeStatus(Cut(body, cut));
        ASSERT_TRUE(part);
        for (int n = 0; n < olvin3m::StatusValueCount; ++n) {
            const bool carried = fields[n].first + fields[n].second - 1 <= cut;
            ASSERT_EQ(part->Values[std::size_t(n)], carried ? full->Values[std::size_t(n)] : QString())
                << body.constData() << " cut " << cut << " field " << n;
        }
        ASSERT_EQ(part->Loop, cut >= 44 ? full->Loop : QString());
        ASSERT_EQ(part->Mode, cut >= 46 ? full->Mode : QString());
        ASSERT_EQ(part->State, cut >= 6 ? full->State : QString());
    }
}

TEST(Olvin3mRobustness, SettingsShowOnlyDigitsOfTheirOwnPlaces)
{
    std::mt19937 rng(33);
    for (int i = 0; i < 3000; ++i) {
        const QByteArray payload = RandomBytes(rng, int(rng() % 70), "0123456789");
        const QByteArray frame = WithSum("~001u" + payload);
        const auto values = olvin3m::DecodeSettings(frame);
        for (int n = 0; n < olvin3m::SettingCount; ++n) {
            const olvin3m::TSetting& s = olvin3m::Settings()[std::size_t(n)];
            const QString& value = values[std::size_t(n)];
            const QByteArray field = payload.mid(s.Position - 6, s.Width);
            ASSERT_LE(value.size(), s.Width);
            ASSERT_TRUE(field.startsWith(value.toLatin1())) << payload.toHex().constData() << " field " << n + 1;
            for (const QChar c : value)
                ASSERT_TRUE(c >= u'0' && c <= u'9');
            // Whole only when every place held a digit and the frame carried them all.
            const bool whole = field.size() == s.Width &&
                               std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
            ASSERT_EQ(value.size() == s.Width, whole);
        }
    }
}

TEST(Olvin3mRobustness, ACutStatisticsAnswerKeepsTheLinesItStillCarries)
{
    std::mt19937 rng(34);
    // The last position each line reads; 0 for a line of fixed text.
    const int lastRead[olvin3m::StatisticsLineCount] = {0,  0,  0,  17, 0,  29, 0,  41, 0, 50, 0,
                                                        59, 63, 67, 71, 75, 76, 77, 79, 0, 87};
    for (int i = 0; i < 2000; ++i) {
        const QByteArray body = "~001t" + Digits(rng, 70) + char(rng() % 256) + Digits(rng, 11);
        const QTime time(12, 0, int(rng() % 60));
        const QStringList full = olvin3m::StatisticsLines(WithSum(body), time);
        const int cut = 5 + int(rng() % 83);
        const QStringList part = olvin3m::StatisticsLines(Cut(body, cut), time);
        ASSERT_EQ(part.size(), full.size());
        for (int line = 0; line < olvin3m::StatisticsLineCount; ++line) {
            if (lastRead[line] <= cut)
                ASSERT_EQ(part[line], full[line]) << "cut " << cut << " line " << line + 1;
            else
                ASSERT_NE(part[line], full[line]) << "cut " << cut << " line " << line + 1;
        }
    }
}

TEST(Olvin3mRobustness, AnAcceptedWriteCarriesDigitsOnly)
{
    std::mt19937 rng(35);
    const QString picks = QStringLiteral("0123456789 *,a٣");
    int accepted = 0;
    for (int i = 0; i < 5000; ++i) {
        std::array<QString, olvin3m::SettingCount> values;
        for (int n = 0; n < olvin3m::SettingCount; ++n) {
            const int width = olvin3m::Settings()[std::size_t(n)].Width;
            const bool good = rng() % 40 != 0;
            const int size = good ? width : int(rng() % 10);
            QString value;
            for (int k = 0; k < size; ++k)
                value += good ? QChar(u'0' + char16_t(rng() % 10)) : picks.at(rng() % picks.size());
            values[std::size_t(n)] = value;
        }
        const olvin3m::TSettingsWrite write = olvin3m::CheckSettings("001", values);
        values[olvin3m::ReadOnlySetting - 1] = QStringLiteral("x");
        ASSERT_EQ(olvin3m::CheckSettings("001", values).FailedField, write.FailedField) << "field 22 is never checked";
        if (!write.Accepted()) {
            ASSERT_NE(write.FailedField, olvin3m::ReadOnlySetting);
            ASSERT_EQ(write.Message, QStringLiteral("Ошибка. Уставка введена не правильно."));
            for (const QByteArray& request : write.Requests)
                ASSERT_TRUE(request.isEmpty());
            continue;
        }
        ++accepted;
        for (int step = 1; step <= olvin3m::WriteStepCount; ++step) {
            const QByteArray request = write.Requests[std::size_t(step - 1)];
            const QByteArray value = request.mid(step < 22 ? 10 : 8).chopped(3); // after the command, before sum + CR
            ASSERT_TRUE(devices::FrameChecksumOK(request.chopped(1)));
            ASSERT_EQ(value.size(), olvin3m::Settings()[std::size_t(step < 22 ? step - 1 : 22)].Width);
            for (const char c : value)
                ASSERT_TRUE(c >= '0' && c <= '9') << request.constData();
        }
    }
    EXPECT_GT(accepted, 100);
}

} // namespace
