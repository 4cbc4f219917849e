// A device that answers after the response timer: the program never puts a
// request on the line while the device is still answering.
#include "support/ProgramFixture.h"

namespace {

TEST_F(ProgramTest, LateAnswersCauseNoCollisionOnTheLine)
{
    Start(1, {"--late", "0.15", "--seed", "11"});
    // Enough exchanges for several late answers, each followed by the answer to its resend.
    ASSERT_TRUE(WaitFor([&] { return form->FResponseCount >= 80; }, 60000));
    form->Button1->click(); // "Стоп"
    EXPECT_GT(form->FErrorCount, 0) << "no answer came late";
    Sim.terminate();
    ASSERT_TRUE(Sim.waitForFinished(10000));
    const QByteArray tail = Sim.readAllStandardOutput();
    EXPECT_TRUE(tail.contains("collisions 0\n")) << tail.constData();
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
}

} // namespace
