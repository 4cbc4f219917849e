#include "app/Frames.h"
#include "app/Unit1.h"
#include "support/FakePort.h"
#include "support/RecordingPanel.h"
#include "support/WaitFor.h"
#include "ui/ComboBox.h"
#include "ui/MaskEdit.h"

#include <gtest/gtest.h>

#include "ui/LogView.h"
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

namespace {

const QByteArray Poll = MakeFrame("#1001T");
const QByteArray Answer = "~001T000100020003000400050006" + ChecksumHex("~001T000100020003000400050006");

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { ReadyToPollWithRecordingPanel(form); }
    RecordingPanel& Panel() { return *static_cast<RecordingPanel*>(form.CurrentPanel()); }
    void Start() { form.Button1->click(); }

    FakePort port;
    TForm1 form{&port};
};

TEST_F(EngineTest, StartSendsStatusRequestWithRtsOffAndArmsTimer)
{
    Start();
    ASSERT_EQ(port.Written, QByteArrayList{Poll});
    EXPECT_EQ(port.Rts, QList<bool>{false});
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 300);
    EXPECT_EQ(form.StatusPanelText(1), "1");
    EXPECT_EQ(form.StatusPanelText(3), "0");
    EXPECT_EQ(form.StatusPanelText(5), "0");
}

TEST_F(EngineTest, EchoAndResponseInOneChunkAreHandledInOneEvent)
{
    Start();
    port.Receive(Poll + Answer + '\r');
    EXPECT_EQ(port.Rts, (QList<bool>{false, true, false}));
    ASSERT_EQ(Panel().Frames, QByteArrayList{Answer});
    EXPECT_EQ(form.FResponseCount, 1);
    EXPECT_EQ(port.Written.size(), 2); // the panel's next request went out from inside the event
    EXPECT_TRUE(form.FRxBuffer.isEmpty());
}

TEST_F(EngineTest, ResponseInThreeChunksIsTakenOnTheChunkWithCr)
{
    Start();
    port.Receive(Poll); // the echo: RTS on again, nothing kept
    EXPECT_EQ(port.Rts.last(), true);
    port.Receive(Answer.left(5));
    port.Receive(Answer.mid(5, 10));
    EXPECT_TRUE(Panel().Frames.isEmpty());
    EXPECT_TRUE(form.Timer1->isActive());
    port.Receive(Answer.mid(15) + '\r');
    EXPECT_EQ(Panel().Frames, QByteArrayList{Answer});
}

TEST_F(EngineTest, SecondFrameOfAChunkWaitsForTheNextEvent)
{
    Start();
    port.Receive(Poll + Answer + "\r~002X\r");
    EXPECT_EQ(Panel().Frames.size(), 1);
    port.Receive("#");
    EXPECT_EQ(Panel().Frames, (QByteArrayList{Answer, "~002X"}));
}

TEST_F(EngineTest, TextWithoutTildeIsDroppedAndLogged)
{
    Start();
    port.Receive("noise\r");
    EXPECT_TRUE(form.FRxBuffer.isEmpty());
    EXPECT_TRUE(Panel().Frames.isEmpty());
}

TEST_F(EngineTest, FiveTimeoutsGiveFourResendsAndOneLinkLost)
{
    Start();
    for (int i = 0; i < 4; ++i)
        form.Timer1Timer();
    EXPECT_EQ(Panel().Losses, 0);
    form.Timer1Timer();
    EXPECT_EQ(Panel().Losses, 1);
    EXPECT_EQ(form.FErrorCount, 5);
    EXPECT_EQ(form.FRetryCount, 0);
    // First send, four resends, and the panel's request after the loss.
    ASSERT_EQ(port.Written.size(), 6);
    for (const QByteArray& w : port.Written)
        EXPECT_EQ(w, Poll);
    EXPECT_EQ(form.FRequestCount, 6);
}

TEST_F(EngineTest, ResponseWithBadChecksumResetsTheRetryCount)
{
    Start();
    form.Timer1Timer();
    form.Timer1Timer();
    form.Timer1Timer();
    port.Receive("~001T00\r");
    EXPECT_EQ(form.FRetryCount, 0);
    EXPECT_EQ(form.FResponseCount, 1);
    for (int i = 0; i < 4; ++i)
        form.Timer1Timer();
    EXPECT_EQ(Panel().Losses, 0);
}

TEST_F(EngineTest, StopDuringThirdResendThenStartDeclaresLossAtFirstTimeout)
{
    Start();
    form.Timer1Timer();
    form.Timer1Timer();
    form.Timer1Timer(); // third resend outstanding, FRetryCount 3
    form.Button1->click();
    EXPECT_EQ(Panel().Stops, 1);
    EXPECT_TRUE(form.Timer1->isActive()); // "Стоп" leaves the timer armed
    const qsizetype sent = port.Written.size();
    form.Timer1Timer(); // expiry after "Стоп": counted, resend sends nothing
    EXPECT_EQ(form.FRetryCount, 4);
    EXPECT_EQ(port.Written.size(), sent);
    Start();
    form.Timer1Timer();
    EXPECT_EQ(Panel().Losses, 1);
}

TEST_F(EngineTest, NothingHappensWhileStoppedOrClosed)
{
    form.SendRequest(Poll);
    port.Open = false;
    Start();
    EXPECT_TRUE(PollActive);
    EXPECT_TRUE(port.Written.isEmpty());
    EXPECT_TRUE(port.Rts.isEmpty());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.FRequestCount, 0);
    EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
}

TEST_F(EngineTest, OnlyTheLastOfTwoCommandsGoesOutOnce)
{
    Start();
    Panel().FPendingRequest = MakeFrame("#10012W");
    Panel().FPendingRequest = MakeFrame("#10015w");
    port.Receive(Poll + Answer + '\r');
    port.Receive(Poll + Answer + '\r');
    EXPECT_EQ(port.Written, (QByteArrayList{Poll, MakeFrame("#10015w"), Poll}));
}

TEST_F(EngineTest, FrameAfterStopIsStillTakenAndCounted)
{
    Start();
    form.Button1->click();
    port.Receive(Answer + '\r');
    EXPECT_EQ(Panel().Frames.size(), 1);
    EXPECT_EQ(form.FResponseCount, 1);
    EXPECT_EQ(port.Written.size(), 1);
}

TEST_F(EngineTest, EndlessNoiseAfterTildeKeepsTheBufferBounded)
{
    Start();
    port.Receive("~");
    const QByteArray noise(1000, 'x');
    for (int i = 0; i < 20; ++i)
        port.Receive(noise);
    EXPECT_LE(form.FRxBuffer.size(), TForm1::RxBufferLimit);
    port.Receive(Answer + '\r');
    ASSERT_EQ(Panel().Frames.size(), 1);
    EXPECT_EQ(Panel().Frames[0], Answer);
}

TEST_F(EngineTest, ModelChangeDuringPollingStopsWithoutStopPoll)
{
    Start();
    RecordingPanel* old = &Panel();
    QPointer<RecordingPanel> guard(old);
    form.ComboBox3->setCurrentIndex(1);
    EXPECT_FALSE(PollActive);
    EXPECT_EQ(old->Stops, 0);
    EXPECT_EQ(form.Button1->text(), "Старт");
    EXPECT_EQ(form.Edit1->text(), "Опрос текущего состояния включен");
    EXPECT_EQ(form.FDeviceKind, devices::TDeviceKind::Selta);
    EXPECT_NE(form.CurrentPanel(), old);
    port.Receive(Answer + '\r');
    EXPECT_TRUE(Panel().Frames.size() == 1 && port.Written.size() == 1); // new panel idle: sends nothing
}

} // namespace

namespace {

// The fourth model has no stop reaction, but a lost link reaches it as it does
// the others, so polling goes on after the fifth timeout.
TEST_F(EngineTest, FourthModelGetsALinkLostButNoStop)
{
    form.ComboBox3->setCurrentIndex(3);
    Start();
    for (int i = 0; i < 5; ++i)
        form.Timer1Timer();
    EXPECT_EQ(Panel().Losses, 1);
    EXPECT_EQ(port.Written.size(), 6);
    EXPECT_TRUE(form.Timer1->isActive());
    form.Button1->click();
    EXPECT_EQ(Panel().Stops, 0);
    port.Receive(Answer + '\r');
    EXPECT_EQ(Panel().Frames.size(), 1); // responses still reach it
}

// A device that answers after the timer has its answer to the resend still to
// come: the next request waits until the line has been quiet, so two requests
// are never on the line at once, and a command waiting then is not displaced.
TEST_F(EngineTest, AfterALateAnswerTheNextRequestWaitsForAQuietLine)
{
    Start();
    form.Timer1Timer(); // the first send timed out: resent
    ASSERT_EQ(port.Written, (QByteArrayList{Poll, Poll}));
    Panel().FPendingRequest = MakeFrame("#10011w");
    port.Receive(Poll + Answer + '\r'); // the late answer to the first send
    EXPECT_EQ(Panel().Frames.size(), 1);
    EXPECT_EQ(port.Written.size(), 2); // held back
    EXPECT_FALSE(form.Timer1->isActive());
    port.Receive(Answer + '\r'); // the answer to the resend: taken, nothing sent
    EXPECT_EQ(Panel().Frames.size(), 2);
    EXPECT_EQ(form.FResponseCount, 2);
    EXPECT_EQ(port.Written.size(), 2);
    ASSERT_TRUE(WaitFor([&] { return port.Written.size() == 3; }));
    EXPECT_EQ(port.Written.last(), MakeFrame("#10011w"));
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.FRequestCount, 3);

    // An answer without a resend before it is followed at once, as always.
    port.Receive(Answer + '\r');
    EXPECT_EQ(port.Written.size(), 4);

    // Characters already in but not yet handed over keep the line from being
    // quiet: the held request waits for them and for the quiet after them.
    form.Timer1Timer();
    port.Receive(Answer + '\r');
    const qsizetype before = port.Written.size();
    port.Input = Answer.left(5); // a second answer begun, not yet reported
    QTest::qWait(2 * TExchangeEngine::QuietAfterLateMs);
    EXPECT_EQ(port.Written.size(), before);
    port.Receive(Answer.mid(5) + '\r');
    ASSERT_TRUE(WaitFor([&] { return port.Written.size() == before + 1; }));

    // A request held back when another model is chosen never goes out.
    form.Timer1Timer();
    port.Receive(Answer + '\r');
    const qsizetype sent = port.Written.size();
    form.ComboBox3->setCurrentIndex(1);
    QTest::qWait(2 * TExchangeEngine::QuietAfterLateMs);
    EXPECT_EQ(port.Written.size(), sent);
}

// Each send may still be answered, however late: after a late answer the next
// request waits for the answers of the later sends, or until the last of them,
// were it as late, is due and the line has been quiet; once every send has
// its answer it goes after a short quiet, or at once when those answers came
// in the same chunk. An answer to nothing sent is followed by a quiet line.
TEST_F(EngineTest, TheNextRequestWaitsForTheAnswersOfEverySendStillOutstanding)
{
    enum class Next { AtOnce, AfterShortQuiet, AfterLongQuiet };
    struct Row {
        int Resends;      // timeouts before the first answer
        int LaterAnswers; // answers of the later sends that then come
        bool OneChunk;    // ... in the chunk of the late answer
        Next Expected;
    };
    const Row rows[] = {
        {1, 1, false, Next::AfterShortQuiet}, // both sends answered
        {2, 2, false, Next::AfterShortQuiet}, // three sends, three answers
        {2, 1, false, Next::AfterLongQuiet},  // one send unanswered
        {1, 0, false, Next::AfterLongQuiet},
        {1, 2, false, Next::AfterLongQuiet}, // one answer more than sends
        {1, 1, true, Next::AtOnce},          // the line is quiet already
        {2, 2, true, Next::AtOnce},
        {2, 1, true, Next::AfterLongQuiet},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Resends * 100 + row.LaterAnswers * 10 + row.OneChunk);
        Start();
        for (int i = 0; i < row.Resends; ++i) {
            port.Receive(Poll);
            QTest::qWait(100); // the sends spread over time
            form.Timer1Timer();
        }
        const qsizetype sent = port.Written.size();
        QByteArray later;
        for (int i = 0; i < row.LaterAnswers; ++i)
            later += Answer + '\r';
        port.Receive(Poll + Answer + '\r' + (row.OneChunk ? later : QByteArray())); // the first send's answer, late
        for (int i = 0; i < row.LaterAnswers && !row.OneChunk; ++i)
            port.Receive(Answer + '\r');
        EXPECT_EQ(port.Written.size() > sent, row.Expected == Next::AtOnce) << "within the turn";
        QTest::qWait(TExchangeEngine::QuietAfterLateMs - 50);
        EXPECT_EQ(port.Written.size() > sent, row.Expected != Next::AfterLongQuiet);
        ASSERT_TRUE(WaitFor([&] { return port.Written.size() > sent; }, 5000));
        EXPECT_FALSE(form.HoldingBack());
        form.Button1->click(); // "Стоп"
        form.Timer1->stop();   // left running by a stop: no timeout of its own here
        form.FRxBuffer.clear(); // answers still waiting there would lead the next row
    }
}

// An answer left waiting in the buffer (two came in one chunk) is taken one
// event late from then on; a resend meanwhile must not make every later
// request wait for an answer that is already in.
TEST_F(EngineTest, AnAnswerLeftWaitingDoesNotSlowThePollingThatFollows)
{
    Start();
    port.Receive(Poll + Answer + '\r' + Answer + '\r');
    ASSERT_EQ(form.FramesWaiting(5), 1);
    form.Timer1Timer(); // a resend while an answer is waiting
    for (int turn = 0; turn < 5; ++turn) {
        const qsizetype sent = port.Written.size();
        port.Receive(Poll + Answer + '\r');
        EXPECT_EQ(port.Written.size(), sent + 1) << turn;
        EXPECT_FALSE(form.HoldingBack()) << turn;
    }
}

} // namespace

namespace {

// The status line names why the link was lost once the panel has reacted,
// replaces an earlier cause rather than piling them up, and drops it when the
// device answers again; the counters' tool tip follows the run's answers.
TEST_F(EngineTest, LostLinkNamesItsCauseAndTheCountersShowResponseTimes)
{
    struct Row {
        QByteArray LineReply; // what the line gives back to each send
        QString StatusLine;
    };
    const Row rows[] = {
        {QByteArray(), "Опрос текущего состояния включен. Связь потеряна: нет эха от адаптера "
                       "(проверьте порт, адаптер, проводку)"},
        {Poll, "Опрос текущего состояния включен. Связь потеряна: нет ответа от устройства "
               "(проверьте адрес, питание, шину)"},
    };
    for (const Row& row : rows) {
        Start();
        for (int round = 0; round < 2; ++round) // a second loss does not repeat the cause
            for (int i = 0; i < 5; ++i) {
                if (!row.LineReply.isEmpty())
                    port.Receive(row.LineReply);
                form.Timer1Timer();
            }
        EXPECT_EQ(form.Edit1->text(), row.StatusLine);
        port.Receive(Answer + '\r');
        EXPECT_EQ(form.Edit1->text(), "Опрос текущего состояния включен");
        form.Button1->click(); // "Стоп"
        form.Timer1->stop();   // left running by a stop: no timeout of its own here
    }

    Start(); // a new run has measured nothing yet
    for (const int panel : {1, 3, 5})
        EXPECT_EQ(form.StatusPanelToolTip(panel), "Время ответа: ещё нет ответов");
    port.Receive(Poll + Answer + '\r');
    // One measured answer: last, least, mean and greatest are the same figure.
    const QRegularExpression tip("^Время ответа, мс: последнее ([0-9]+(,[0-9])?), наименьшее \\1, "
                                 "среднее \\1, наибольшее \\1$");
    for (const int panel : {1, 3, 5})
        EXPECT_TRUE(tip.match(form.StatusPanelToolTip(panel)).hasMatch())
            << form.StatusPanelToolTip(panel).toStdString();
    EXPECT_TRUE(form.StatusPanelToolTip(0).isEmpty());
}

} // namespace
