// The real program's parts against zorvex-sim over a pseudo-terminal.
#include "support/ProgramFixture.h"

#include "app/Frames.h"
#include "app/Unit1.h"
#include "panels/Olvin4.h"
#include "panels/PanelFactory.h"
#include "panels/selta_panel.h"
#include "ui/ComboBox.h"
#include "ui/Dialogs.h"
#include "ui/MaskEdit.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

TEST_F(SimTest, PortComponentTalksToTheSimulator)
{
    StartSim({"--fast"});
    QStringList ports;
    EnumComPorts(ports);
    ASSERT_TRUE(ports.contains(PortName));

    TBComPort port;
    QByteArray line;
    port.OnRxChar = [&](QObject*, int count) {
        QByteArray chunk;
        port.ReadStr(chunk, count);
        line += chunk;
    };
    port.SetPort(PortName);
    port.Open();
    const QByteArray request = MakeFrame("#SLT001T");
    port.WriteStr(request);
    ASSERT_TRUE(WaitFor([&] { return line.count('\r') >= 2; }));
    // The adapter's echo first, then the answer of the addressed unit.
    ASSERT_TRUE(line.startsWith(request));
    const QByteArray answer = line.mid(request.size()).chopped(1);
    EXPECT_TRUE(answer.startsWith("~001T"));
    EXPECT_TRUE(FrameChecksumOK(answer)) << answer.constData();
    port.Close();
}

TEST_F(ProgramTest, SeltaShowsLiveValuesAndReadsBackAWrittenSetting)
{
    Start(1);
    auto* panel = qobject_cast<TSelta*>(form->CurrentPanel());
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(WaitFor([&] { return panel->Edit1->text().endsWith("  мА"); }));
    EXPECT_TRUE(panel->Edit2->text().endsWith("  мА"));

    panel->Button7->click(); // read the settings
    ASSERT_TRUE(WaitFor([&] { return !panel->MaskEdit1->Text().isEmpty(); }));
    EXPECT_EQ(panel->MaskEdit1->Text(), "160");

    panel->MaskEdit1->SetText("250");
    panel->Button2->click(); // sensor type and limit of channel 1
    ASSERT_TRUE(WaitFor([&] { return form->Edit1->text() == " УСТАВКА УСТАНОВЛЕННА "; }));
    panel->MaskEdit1->Clear();
    // The acknowledgement queues the read-back, which fills the field again.
    ASSERT_TRUE(WaitFor([&] { return panel->MaskEdit1->Text() == "250"; }));
    EXPECT_EQ(panel->MaskEdit1->EditText(), "2,50");
    EXPECT_GT(form->FResponseCount, 2);
    EXPECT_EQ(form->FErrorCount, 0);
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
}

TEST_F(ProgramTest, Olvin4StopsAndStartsAChannel)
{
    Start(2);
    auto* panel = qobject_cast<TOLVIN4*>(form->CurrentPanel());
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !panel->Edit1->text().isEmpty(); }));
    EXPECT_NE(panel->Edit1->text(), "000.0");

    panel->Button4->click(); // "Стоп" of channel 1
    ASSERT_TRUE(WaitFor([&] { return panel->Edit1->text() == "000.0"; }));
    panel->Button3->click(); // "Пуск" of channel 1
    ASSERT_TRUE(WaitFor([&] { return panel->Edit1->text() != "000.0"; }));
    EXPECT_EQ(form->FErrorCount, 0);
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
}

} // namespace
