#include "devices/Cp1251.h"
#include "devices/Olvin4.h"
#include "panels/Olvin4.h"
#include "panels/selta_panel.h"
#include "ui/MaskEdit.h"

#include "support/FakeHost.h"
#include "support/Frames.h"
#include "support/PanelSnapshot.h"
#include "support/RandomText.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <array>
#include <memory>
#include <random>

namespace {

QByteArray RandomBytes(std::mt19937& rng, int size) { return ::RandomBytes(rng, size, "~#\r0123456789-NTuSBDW"); }

// A frame as a line could bring it: noise, or "~" + number + letter + payload,
// with its checksum right, wrong or cut off.
QByteArray RandomFrame(std::mt19937& rng, const QByteArray& letters)
{
    QByteArray body = RandomBytes(rng, int(rng() % 40));
    if (rng() % 3 != 0)
        body = "~001" + QByteArray(1, letters.at(rng() % letters.size())) + body;
    switch (rng() % 4) {
    case 0:
        return body;
    case 1:
        return WithSum(body).chopped(1);
    default: {
        QByteArray framed = WithSum(body);
        framed[framed.size() - 1 - rng() % 2] ^= char(1 + rng() % 255); // a digit off
        return framed;
    }
    }
}

QByteArray Digits(int value) { return QByteArray::number(value).rightJustified(3, '0'); }

// ---- "Ольвин 4э" ----

class Olvin4Robustness : public PanelTest<TOLVIN4> {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        Panel->StartPoll();
    }
    QLineEdit* Value(int n) const
    {
        QLineEdit* const values[6] = {Panel->Edit1, Panel->Edit2, Panel->Edit3,
                                      Panel->Edit4, Panel->Edit5, Panel->Edit6};
        return values[n];
    }
};

TEST_F(Olvin4Robustness, FramesWithoutGoodChecksumChangeNothingShownAndPollingGoesOn)
{
    std::mt19937 rng(1);
    Panel->HandleResponse(WithSum("~001T001100220033004400550066"));
    for (int i = 0; i < 800; ++i) {
        const QByteArray frame = RandomFrame(rng, "TtWw");
        if (FrameChecksumOK(frame))
            continue;
        const QStringList before = PanelSnapshot(*Panel);
        const qsizetype sent = Host.Sent.size();
        Panel->HandleResponse(frame);
        ASSERT_EQ(PanelSnapshot(*Panel), before) << frame.toHex().constData();
        ASSERT_EQ(Host.Sent.size(), sent + 1);
    }
}

TEST_F(Olvin4Robustness, StatusPayloadOfAnyLengthShowsWholeFieldsAsSentAndEmptiesTheRest)
{
    const struct {
        const char* Payload;
        std::array<const char*, 6> Shown;
        std::array<const char*, 6> State;
    } rows[] = {
        {"", {"", "", "", "", "", ""}, {"", "", "", "", "", ""}},
        {"123", {"", "", "", "", "", ""}, {"", "", "", "", "", ""}},
        {"1234", {"123.4", "", "", "", "", ""}, {"", "", "", "", "", ""}},
        {"12345678ab", {"123.4", "567.8", "", "", "", ""}, {"", "", "", "", "", ""}},
        {"\xC0\xC1\xC2\xC3-002", {"АБВ.Г", "-00.2", "", "", "", ""}, {"", "Интегральная защита", "", "", "", ""}},
        {"00009999-0040123-001-0039",
         {"000.0", "999.9", "-00.4", "012.3", "-00.1", "-00.3"},
         {"", "", "Ошибка контроля нории", "", "Ток ниже минимального", "Ток больше максимального"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Payload);
        Panel->HandleResponse(WithSum(QByteArray("~001T") + row.Payload));
        const QLabel* const labels[6] = {Panel->Label7,  Panel->Label8,  Panel->Label9,
                                         Panel->Label11, Panel->Label12, Panel->Label13};
        for (int n = 0; n < 6; ++n) {
            EXPECT_EQ(Value(n)->text(), QString::fromUtf8(row.Shown[n])) << "channel " << n;
            EXPECT_EQ(labels[n]->text(), QString::fromUtf8(row.State[n])) << "channel " << n;
        }
    }
    // Any payload: a channel the payload does not reach is empty, one it reaches is
    // its four characters with the point before the last.
    std::mt19937 rng(2);
    for (int i = 0; i < 3000; ++i) {
        const QByteArray payload = RandomBytes(rng, int(rng() % 32));
        Panel->HandleResponse(WithSum("~001T" + payload));
        for (int n = 0; n < 6; ++n) {
            const QString shown = Value(n)->text();
            if ((n + 1) * 4 > payload.size())
                ASSERT_TRUE(shown.isEmpty()) << payload.toHex().constData() << " channel " << n;
            else
                ASSERT_TRUE(shown.size() == 5 && shown.at(3) == u'.') << payload.toHex().constData();
        }
    }
}

// ---- "Сельта" ----

struct StatusFields {
    char Type[2];
    int Limit[2];
    int Count[2];
    char Leak[2];
};

QByteArray StatusBody(const StatusFields& f)
{
    QByteArray body = "~001T";
    for (int ch = 0; ch < 2; ++ch)
        body += f.Type[ch] + Digits(f.Limit[ch]) + Digits(f.Count[ch]);
    return body + f.Leak[0] + f.Leak[1];
}

struct RecordFields {
    char Type[2];
    int Limit[2];
    int Maximum[2];
    int Minimum[2];
    char Tail[2];
};

// Settings carry one tail character (the alarm), statistics two (the leaks).
QByteArray RecordBody(char letter, const RecordFields& f)
{
    QByteArray body = "~001" + QByteArray(1, letter);
    for (int ch = 0; ch < 2; ++ch)
        body += f.Type[ch] + Digits(f.Limit[ch]) + Digits(f.Maximum[ch]) + Digits(f.Minimum[ch]);
    body += f.Tail[0];
    if (letter == 'S')
        body += f.Tail[1];
    return body;
}

char AnyType(std::mt19937& rng) { return rng() % 2 ? '0' : char(rng() % 256); }
char AnyFlag(std::mt19937& rng) { return rng() % 2 ? 'N' : char(rng() % 256); }

// Replaces one character of a number field by something that is no digit.
QByteArray Garbled(std::mt19937& rng, QByteArray body, const std::vector<int>& numberAt)
{
    const int at = numberAt[rng() % numberAt.size()];
    char c;
    do
        c = char(rng() % 256);
    while (c >= '0' && c <= '9');
    body[at] = c;
    return body;
}

std::vector<int> Indices(std::initializer_list<std::pair<int, int>> ranges)
{
    std::vector<int> at;
    for (const auto& [from, to] : ranges)
        for (int i = from; i <= to; ++i)
            at.push_back(i);
    return at;
}

class SeltaRobustness : public PanelTest<TSelta> {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        Panel->StartPoll();
    }
    void RandomModes(std::mt19937& rng)
    {
        QRadioButton* const ch1[4] = {Panel->RadioButton1, Panel->RadioButton2, Panel->RadioButton3,
                                      Panel->RadioButton4};
        QRadioButton* const ch2[4] = {Panel->RadioButton5, Panel->RadioButton6, Panel->RadioButton7,
                                      Panel->RadioButton8};
        ch1[rng() % 4]->setChecked(true);
        ch2[rng() % 4]->setChecked(true);
    }
    // A frame that must change nothing shown or said, yet lets polling go on.
    void ExpectIgnored(const QByteArray& frame)
    {
        const QStringList before = PanelSnapshot(*Panel);
        const QString status = Host.Status;
        const qsizetype sent = Host.Sent.size();
        Panel->HandleResponse(frame);
        EXPECT_EQ(PanelSnapshot(*Panel), before) << frame.toHex().constData();
        EXPECT_EQ(Host.Status, status);
        EXPECT_EQ(Host.Sent.size(), sent + 1);
    }
};

TEST_F(SeltaRobustness, FramesWithoutGoodChecksumChangeNothingShownOrSaid)
{
    std::mt19937 rng(10);
    Panel->HandleResponse(WithSum("~001T01604001100480YN"));
    Panel->HandleResponse(WithSum("~001u016040005011004802001"));
    Host.Status = QStringLiteral("прежнее");
    for (int i = 0; i < 800; ++i) {
        const QByteArray frame = RandomFrame(rng, "TuSBDW");
        if (FrameChecksumOK(frame))
            continue;
        ExpectIgnored(frame);
        if (HasFailure())
            return;
    }
}

TEST_F(SeltaRobustness, StatusFramesDecodeToTheirFieldsAndShowThem)
{
    std::mt19937 rng(11);
    for (int i = 0; i < 2000; ++i) {
        const StatusFields f{{AnyType(rng), AnyType(rng)},
                             {int(rng() % 1000), int(rng() % 1000)},
                             {int(rng() % 1000), int(rng() % 1000)},
                             {AnyFlag(rng), AnyFlag(rng)}};
        RandomModes(rng);
        const QByteArray frame = WithSum(StatusBody(f));
        const auto status = selta::DecodeStatusFrame(frame);
        ASSERT_TRUE(status) << frame.toHex().constData();
        for (int ch = 0; ch < 2; ++ch) {
            ASSERT_EQ(status->Channel[ch].SensorType, f.Type[ch]);
            ASSERT_EQ(status->Channel[ch].Limit, f.Limit[ch]);
            ASSERT_EQ(status->Channel[ch].Count, f.Count[ch]);
            ASSERT_EQ(status->Channel[ch].Depressurised, f.Leak[ch] != 'N');
        }
        Panel->HandleResponse(frame);
        ASSERT_EQ(Panel->Edit1->text(),
                  selta::FormatChannelValue(Panel->FDisplayMode1, f.Type[0], f.Count[0], f.Limit[0] / 100.0));
        ASSERT_EQ(Panel->Edit2->text(),
                  selta::FormatChannelValue(Panel->FDisplayMode2, f.Type[1], f.Count[1], f.Limit[1] / 100.0));
        ASSERT_LE(Panel->Edit1->text().indexOf(u' '), 4); // never more than four characters of number
        ASSERT_EQ(Panel->Label3->isHidden(), f.Leak[0] == 'N');
        ASSERT_EQ(Panel->Label4->isHidden(), f.Leak[1] == 'N');
    }
}

TEST_F(SeltaRobustness, SettingsAndStatisticsDecodeToTheirFields)
{
    std::mt19937 rng(13);
    for (int i = 0; i < 2000; ++i) {
        RecordFields f{{AnyType(rng), AnyType(rng)},
                       {int(rng() % 1000), int(rng() % 1000)},
                       {int(rng() % 1000), int(rng() % 1000)},
                       {int(rng() % 1000), int(rng() % 1000)},
                       {AnyFlag(rng), AnyFlag(rng)}};
        const auto settings = selta::DecodeSettingsFrame(WithSum(RecordBody('u', f)));
        const auto stats = selta::DecodeStatisticsFrame(WithSum(RecordBody('S', f)));
        ASSERT_TRUE(settings && stats);
        for (int ch = 0; ch < 2; ++ch) {
            for (const selta::ChannelRecord& r : {settings->Channel[ch], stats->Channel[ch]}) {
                ASSERT_EQ(r.SensorType, f.Type[ch]);
                ASSERT_EQ(r.Limit, f.Limit[ch]);
                ASSERT_EQ(r.Maximum, f.Maximum[ch]);
                ASSERT_EQ(r.Minimum, f.Minimum[ch]);
            }
            ASSERT_EQ(stats->Depressurised[ch], f.Tail[ch] != 'N');
        }
        ASSERT_EQ(settings->Alarm, f.Tail[0]);
        if (i % 10 != 0)
            continue;

        RandomModes(rng);
        Panel->HandleResponse(WithSum(RecordBody('u', f)));
        ASSERT_EQ(Panel->MaskEdit1->Text(), QString::fromLatin1(Digits(f.Limit[0])));
        ASSERT_EQ(Panel->MaskEdit4->Text(), QString::fromLatin1(Digits(f.Limit[1])));
        ASSERT_EQ(Panel->ComboBox1->currentIndex(), f.Type[0] == '0' ? 0 : 1);
        ASSERT_EQ(Panel->ComboBox2->currentIndex(), f.Type[1] == '0' ? 0 : 1);
        ASSERT_EQ(Panel->ComboBox3->currentIndex(), f.Tail[0] == '0' ? 0 : 1);
        Panel->Memo1->clear();
        Panel->HandleResponse(WithSum(RecordBody('S', f)));
        ASSERT_EQ(Panel->Memo1->toPlainText().count(QStringLiteral("Была разгерметизация датчика")),
                  int(f.Tail[0] != 'N') + int(f.Tail[1] != 'N'));
    }
}

TEST_F(SeltaRobustness, GarbledOrShortPayloadsDecodeToNothingAndChangeNothing)
{
    std::mt19937 rng(14);
    const auto statusNumbers = Indices({{6, 11}, {13, 18}});
    const auto recordNumbers = Indices({{6, 14}, {16, 24}});
    Panel->HandleResponse(WithSum("~001T01604001100480YN"));
    Panel->HandleResponse(WithSum("~001u016040005011004802001"));
    for (int i = 0; i < 1500; ++i) {
        const StatusFields s{
            {'0', '1'}, {int(rng() % 1000), int(rng() % 1000)}, {int(rng() % 1000), int(rng() % 1000)}, {'N', 'Y'}};
        const RecordFields r{
            {'1', '0'}, {int(rng() % 1000), 7}, {int(rng() % 1000), 8}, {9, int(rng() % 1000)}, {'1', 'Y'}};
        const QByteArray status = StatusBody(s);
        const QByteArray settings = RecordBody('u', r);
        const QByteArray stats = RecordBody('S', r);

        const QByteArray badStatus = WithSum(Garbled(rng, status, statusNumbers));
        const QByteArray badSettings = WithSum(Garbled(rng, settings, recordNumbers));
        const QByteArray badStats = WithSum(Garbled(rng, stats, recordNumbers));
        ASSERT_FALSE(selta::DecodeStatusFrame(badStatus));
        ASSERT_FALSE(selta::DecodeSettingsFrame(badSettings));
        ASSERT_FALSE(selta::DecodeStatisticsFrame(badStats));

        const QByteArray shortStatus = WithSum(status.left(5 + rng() % (status.size() - 5)));
        const QByteArray shortSettings = WithSum(settings.left(5 + rng() % (settings.size() - 5)));
        const QByteArray shortStats = WithSum(stats.left(5 + rng() % (stats.size() - 5)));
        ASSERT_FALSE(selta::DecodeStatusFrame(shortStatus));
        ASSERT_FALSE(selta::DecodeSettingsFrame(shortSettings));
        ASSERT_FALSE(selta::DecodeStatisticsFrame(shortStats));

        if (i % 30 == 0) {
            Panel->Memo1->setPlainText(QStringLiteral("прежняя статистика"));
            for (const QByteArray& frame : {badStatus, badSettings, badStats, shortStatus, shortSettings, shortStats})
                ExpectIgnored(frame);
            if (HasFailure())
                return;
        }
    }
}

TEST_F(SeltaRobustness, LongFramesOfEveryLetterAreSafe)
{
    std::mt19937 rng(15);
    for (const char letter : QByteArray("TuSBDWx")) {
        for (int i = 0; i < 20; ++i) {
            const QByteArray payload = RandomBytes(rng, 5000 + int(rng() % 5000));
            Panel->HandleResponse(WithSum("~001" + QByteArray(1, letter) + payload));
        }
    }
    EXPECT_EQ(Host.Sent.size(), 1 + 7 * 20);
}

} // namespace
