#include "app/Unit1.h"
#include "support/FakePort.h"
#include "support/RecordingPanel.h"
#include "support/ReferenceFrames.h"
#include "ui/ComboBox.h"
#include "ui/MaskEdit.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>

#include <random>

namespace {

// Line text rich in what the engine looks for: frame starts, CRs, echo marks.
QByteArray LineNoise(std::mt19937& rng, int size)
{
    static const QByteArray kPicks = "~~~\r\r\r##0123456789ABCDEFT-\n x";
    QByteArray text;
    text.reserve(size);
    for (int i = 0; i < size; ++i) {
        if (rng() % 4 == 0)
            text.append(char(rng() % 256));
        else
            text.append(kPicks.at(rng() % kPicks.size()));
    }
    return text;
}

QByteArrayList RandomChunks(std::mt19937& rng, const QByteArray& stream)
{
    QByteArrayList chunks;
    const int widest = 1 + int(rng() % 40);
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype n = 1 + qsizetype(rng() % widest);
        chunks.append(stream.mid(at, n));
        at += n;
    }
    return chunks;
}

class EngineRobustness : public ::testing::Test {
protected:
    void SetUp() override
    {
        ReadyToPollWithRecordingPanel(form);
        form.Button1->click();
    }
    void TearDown() override
    {
        PollActive = false;
        DeviceNumber.clear();
    }
    RecordingPanel& Panel() { return *static_cast<RecordingPanel*>(form.CurrentPanel()); }
    // Starts over as after a fresh "Старт", nothing received.
    void Restart()
    {
        form.FRxBuffer.clear();
        form.FFrameStarted = false;
        form.FResponseCount = 0;
        Panel().Frames.clear();
    }
    // Delivers the chunks, then lets frames still waiting in the buffer out,
    // one per further event; returns the whole stream the line carried.
    QByteArray Deliver(const QByteArrayList& chunks, std::mt19937* timeouts = nullptr)
    {
        QByteArray stream;
        for (const QByteArray& chunk : chunks) {
            if (timeouts && (*timeouts)() % 5 == 0)
                form.Timer1Timer();
            stream += chunk;
            port.Receive(chunk);
            EXPECT_LE(form.FRxBuffer.size(), TForm1::RxBufferLimit);
        }
        for (;;) {
            const qsizetype before = Panel().Frames.size();
            stream += 'x';
            port.Receive("x");
            if (Panel().Frames.size() == before)
                break;
        }
        return stream;
    }

    FakePort port;
    TForm1 form{&port};
};

TEST_F(EngineRobustness, FramesAreTheStreamsWhateverTheChunks)
{
    std::mt19937 rng(20261209);
    for (int round = 0; round < 250; ++round) {
        Restart();
        const QByteArray text = LineNoise(rng, 1 + int(rng() % 300));
        const QByteArrayList chunks = round % 10 == 0 ? QByteArrayList{text} : RandomChunks(rng, text);
        const QByteArray stream = Deliver(chunks);
        ASSERT_EQ(Panel().Frames, ReferenceFrames(stream)) << "round " << round << ": " << text.toHex().constData();
        ASSERT_EQ(form.FResponseCount, Panel().Frames.size());
    }
}

TEST_F(EngineRobustness, TimeoutsAndResendsBetweenChunksCutNoFrameDifferently)
{
    std::mt19937 rng(4242);
    for (int round = 0; round < 120; ++round) {
        Restart();
        const QByteArray text = LineNoise(rng, 1 + int(rng() % 200));
        const QByteArray stream = Deliver(RandomChunks(rng, text), &rng);
        ASSERT_EQ(Panel().Frames, ReferenceFrames(stream)) << "round " << round << ": " << text.toHex().constData();
    }
    EXPECT_GT(Panel().Losses, 0); // the timeouts did reach a lost link
}

TEST_F(EngineRobustness, EndlessTextStaysBoundedAndTheNextGoodFrameGetsThrough)
{
    std::mt19937 rng(77);
    const QByteArray good = MakeFrame("~001T0001000200030004000500060");
    for (int round = 0; round < 6; ++round) {
        Restart();
        // Long runs without CR, the odd "~", now and then a CR.
        QByteArray text;
        while (text.size() < 20000) {
            const int r = int(rng() % 1000);
            text.append(r < 5 ? '\r' : r < 30 ? '~' : char('A' + r % 26));
        }
        Deliver(RandomChunks(rng, text) << "\r" << good);
        for (const QByteArray& frame : Panel().Frames) {
            ASSERT_TRUE(frame.startsWith('~'));
            ASSERT_FALSE(frame.contains('\r'));
            ASSERT_LE(frame.size(), TForm1::RxBufferLimit);
        }
        ASSERT_FALSE(Panel().Frames.isEmpty());
        EXPECT_EQ(Panel().Frames.last(), good.chopped(1));
    }
}

TEST_F(EngineRobustness, OneHugeChunkKeepsOnlyTheNewestText)
{
    const QByteArray good = MakeFrame("~001T0001000200030004000500060");
    port.Receive(QByteArray(100000, '~') + "\r" + good);
    EXPECT_LE(form.FRxBuffer.size(), TForm1::RxBufferLimit);
    port.Receive("x");
    ASSERT_FALSE(Panel().Frames.isEmpty());
    EXPECT_EQ(Panel().Frames.last(), good.chopped(1));
}

} // namespace
