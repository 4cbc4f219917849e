// The "ТОРВИС" panel in the real program against zorvex-sim.
#include "support/ProgramFixture.h"

#include "panels/Torvis.h"
#include "ui/RadioGroup.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include <csignal>
#include <ctime>

namespace {

// CPU time of the whole process, every thread included.
double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

class TorvisProgram : public ProgramTest {
protected:
    void TearDown() override
    {
        // A simulator a test froze must run again to end.
        if (Sim.state() != QProcess::NotRunning)
            ::kill(static_cast<pid_t>(Sim.processId()), SIGCONT);
        ProgramTest::TearDown();
    }
    TTORVIS_form* Start()
    {
        ProgramTest::Start(devices::KindIndex(devices::TDeviceKind::Torvis));
        auto* panel = qobject_cast<TTORVIS_form*>(form->CurrentPanel());
        EXPECT_NE(panel, nullptr);
        if (panel) {
            EXPECT_TRUE(WaitFor([&] { return !panel->Edit1->text().isEmpty(); }));
        }
        return panel;
    }
    // Over a second and a half a spinning core would burn about as much.
    void ExpectQuiet()
    {
        const double before = CpuSeconds();
        WaitFor([] { return false; }, 1500);
        EXPECT_LT(CpuSeconds() - before, 0.3);
    }
    QList<int> DiscreteTypes(const TTORVIS_form& panel) const
    {
        QList<int> types;
        for (const QComboBox* list : {panel.ComboBox3, panel.ComboBox4, panel.ComboBox5, panel.ComboBox6,
                                      panel.ComboBox7, panel.ComboBox8, panel.ComboBox9, panel.ComboBox10})
            types << list->currentIndex();
        return types;
    }
};

TEST_F(TorvisProgram, PollsAndReadsBackWhatEveryPageWrites)
{
    TTORVIS_form* panel = Start();
    ASSERT_NE(panel, nullptr);
    // Channel 8 of the simulated unit is switched off; channel 1 works, discrete 5 is active.
    ASSERT_TRUE(WaitFor([&] { return panel->Edit8->text() == "------"; }));
    EXPECT_EQ(panel->Edit8->toolTip(), "Датчик отключен");
    EXPECT_EQ(panel->Edit1->toolTip(), "Нет ошибки");
    EXPECT_EQ(panel->CheckBox5->text(), "Активный");

    panel->RadioGroup1->Item(1)->click();
    panel->ComboBox1->setCurrentIndex(1);
    panel->ComboBox2->setCurrentIndex(12);
    const QList<ui::TMaskEdit*> fields = {panel->MaskEdit1, panel->MaskEdit2, panel->MaskEdit3, panel->MaskEdit4};
    const QStringList levels = {"+15.0", "+01.0", "+12.0", "-02.0"};
    for (int i = 0; i < 4; ++i)
        fields[i]->SetText(levels[i]);
    panel->Button2->click();
    panel->ClearSettings(); // only the read-back can fill the page again
    ASSERT_TRUE(WaitFor([&] { return panel->ComboBox2->currentIndex() == 12; }));
    EXPECT_EQ(panel->ComboBox1->currentIndex(), 1);
    QStringList shown;
    for (const ui::TMaskEdit* field : fields)
        shown << field->Text();
    EXPECT_EQ(shown, levels);

    panel->Button3->click();
    ASSERT_TRUE(WaitFor([&] { return panel->ComboBox3->currentIndex() >= 0; }));
    EXPECT_EQ(DiscreteTypes(*panel), QList<int>({0, 0, 0, 0, 1, 1, 1, 1}));
    panel->ComboBox3->setCurrentIndex(1);
    panel->ComboBox7->setCurrentIndex(0);
    panel->Button4->click();
    panel->ClearSettings();
    ASSERT_TRUE(WaitFor([&] { return panel->ComboBox3->currentIndex() >= 0; }));
    EXPECT_EQ(DiscreteTypes(*panel), QList<int>({1, 0, 0, 0, 0, 1, 1, 1}));
    EXPECT_TRUE(WaitFor([&] { return panel->CheckBox1->text() == "Активный"; }));

    panel->RadioGroup2->Item(2)->click();
    panel->Button6->click();
    ASSERT_TRUE(WaitFor([&] { return panel->MaskEdit5->Text() == "850"; }));
    EXPECT_EQ(panel->MaskEdit6->Text(), "015");
    panel->MaskEdit5->SetText("777");
    panel->MaskEdit6->SetText("033");
    panel->Button7->click();
    panel->ClearCalibration();
    ASSERT_TRUE(WaitFor([&] { return panel->MaskEdit5->Text() == "777"; }));
    EXPECT_EQ(panel->MaskEdit6->Text(), "033");

    panel->Button5->click();
    ASSERT_TRUE(WaitFor([&] { return !panel->Memo1->toPlainText().isEmpty(); }));
    EXPECT_EQ(panel->Memo1->toPlainText(), "ТОРВИС вер. 3.12");
    EXPECT_EQ(form->FErrorCount, 0);
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
}

TEST_F(TorvisProgram, ASilentDeviceIsShownLostWhilePollingGoesOn)
{
    TTORVIS_form* panel = Start();
    ASSERT_NE(panel, nullptr);
    ::kill(static_cast<pid_t>(Sim.processId()), SIGSTOP); // the line is cut: no echo, no answer
    ASSERT_TRUE(WaitFor([&] { return panel->Edit1->text() == "НЕТ СВЯЗИ"; }));
    EXPECT_EQ(panel->Edit8->text(), "НЕТ СВЯЗИ");
    const int sent = form->FRequestCount;
    ExpectQuiet();
    EXPECT_GT(form->FRequestCount, sent);
    EXPECT_TRUE(PollActive);

    ::kill(static_cast<pid_t>(Sim.processId()), SIGCONT);
    EXPECT_TRUE(WaitFor([&] { return panel->Edit8->text() == "------"; }));
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
}

TEST_F(TorvisProgram, AnUnpluggedLineIsShownOnThePanelAndNothingSpins)
{
    TTORVIS_form* panel = Start();
    ASSERT_NE(panel, nullptr);
    Sim.kill();
    ASSERT_TRUE(Sim.waitForFinished(10000));
    ASSERT_TRUE(WaitFor([&] { return panel->Edit1->text() == "НЕТ СВЯЗИ"; }));
    EXPECT_TRUE(WaitFor([&] { return Messages.size() == 1; }));
    EXPECT_TRUE(Messages.value(0).contains(PortName));
    EXPECT_FALSE(PollActive);
    EXPECT_FALSE(form->BComPort1->Connected());
    ExpectQuiet();
    EXPECT_EQ(Messages.size(), 1);
}

} // namespace
