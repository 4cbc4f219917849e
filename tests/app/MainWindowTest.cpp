// The window as a technician drives it, on a real pseudo-terminal published
// as a virtual port.
#include "app/Frames.h"
#include "app/Unit1.h"
#include "support/MessageRecorder.h"
#include "support/PtyFixture.h"
#include "support/RecordingPanel.h"
#include "ui/ComboBox.h"
#include "ui/MaskEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace {

class MainWindowTest : public PtyTest {
protected:
    void SetUp() override
    {
        PtyTest::SetUp();
        // A second pseudo-terminal, for picking another port.
        int slave = -1;
        ASSERT_EQ(::openpty(&Master2, &slave, nullptr, nullptr, nullptr), 0);
        const QString path = QString::fromLocal8Bit(::ttyname(slave));
        ::close(slave);
        ASSERT_EQ(::symlink(path.toLocal8Bit().constData(),
                            QDir(Dir.path()).filePath(QStringLiteral("vtest1")).toLocal8Bit().constData()),
                  0);
        form = std::make_unique<TForm1>();
        form->SetPanelFactory([](devices::TDeviceKind kind, TPanelHost& host) -> std::unique_ptr<TDevicePanel> {
            if (kind == devices::TDeviceKind::Torvis)
                return nullptr;
            return std::make_unique<RecordingPanel>(host);
        });
    }
    void TearDown() override
    {
        form.reset();
        ::close(Master2);
        PtyTest::TearDown();
    }
    void Pick(QComboBox* box, const QString& item)
    {
        const int index = box->findText(item);
        ASSERT_GE(index, 0) << item.toStdString();
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    // What the window wrote, spinning its event loop so the port can deliver.
    QByteArray Line(int count)
    {
        QByteArray got;
        WaitFor([&] {
            char buf[256];
            const ssize_t n = ::read(Master, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
            return got.size() >= count;
        });
        return got;
    }
    RecordingPanel* Panel() { return static_cast<RecordingPanel*>(form->CurrentPanel()); }
    void ReadyToStart(const QString& number = QStringLiteral("001"))
    {
        Pick(form->ComboBox1, QStringLiteral("vtest0"));
        form->ComboBox3->setCurrentIndex(2);
        form->MaskEdit1->SetText(number);
    }

    int Master2 = -1;
    std::unique_ptr<TForm1> form;
    MessageRecorder messages;
};

TEST_F(MainWindowTest, StartsWithPortsListedAndNothingChosen)
{
    EXPECT_EQ(form->windowTitle(), "ZORVEX 1.4.1");
    EXPECT_EQ(form->size(), QSize(792, 545));
    // The machine's own ports come first or last, sorted as text with the virtual ones.
    const int first = form->ComboBox1->findText("vtest0");
    ASSERT_GE(first, 0);
    EXPECT_EQ(form->ComboBox1->itemText(first + 1), "vtest1");
    EXPECT_EQ(form->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(form->ComboBox2->currentText(), "4800");
    EXPECT_EQ(form->ComboBox3->currentIndex(), -1);
    EXPECT_EQ(form->MaskEdit1->EditText(), "***");
    EXPECT_EQ(form->Button1->text(), "Старт");
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(form->StatusPanelText(i), (QStringList{"Запросы", "0", "Ответы", "0", "Ошибки", "0", ""}[i]));
    EXPECT_FALSE(form->BComPort1->Connected());
}

TEST_F(MainWindowTest, StartChecksPortThenModelThenNumber)
{
    form->ComboBox3->setCurrentIndex(1);
    form->MaskEdit1->SetText("001");
    DeviceNumber = "999";
    form->Button1->click();
    EXPECT_EQ(messages.Texts, QStringList{"Не выбран порт"});
    EXPECT_TRUE(DeviceNumber.isEmpty());

    form->ComboBox1->setCurrentIndex(0);
    form->ComboBox3->setCurrentIndex(-1);
    form->Button1->click();
    EXPECT_EQ(messages.Texts.last(), "Не выбрано устройство");

    form->ComboBox3->setCurrentIndex(2);
    form->MaskEdit1->SetText("12");
    form->Button1->click();
    EXPECT_EQ(messages.Texts.last(), "Введие номер устройства");
    EXPECT_EQ(messages.Beeps, 3);
    EXPECT_TRUE(DeviceNumber.isEmpty());
    EXPECT_FALSE(PollActive);
    EXPECT_EQ(form->Button1->text(), "Старт");
    EXPECT_EQ(Panel()->Starts, 0);
}

TEST_F(MainWindowTest, PickingAPortOpensItAndPollingPutsTheRequestOnTheLine)
{
    ReadyToStart();
    EXPECT_TRUE(form->BComPort1->Connected());
    EXPECT_EQ(form->BComPort1->BaudRate(), br4800);
    form->Button1->click();
    EXPECT_TRUE(PollActive);
    EXPECT_EQ(DeviceNumber, "001");
    EXPECT_EQ(form->Button1->text(), "Стоп");
    EXPECT_EQ(form->Edit1->text(), "Опрос текущего состояния включен");
    EXPECT_EQ(Line(9), QByteArray("#1001T39\r"));
    EXPECT_EQ(form->StatusPanelText(1), "1");
    EXPECT_EQ(form->StatusPanelText(3), "0");
    // The device answers; the next request follows and the counters move.
    const QByteArray answer = "~001T000000000000000000000000";
    Send("#1001T39\r" + answer + ChecksumHex(answer) + "\r");
    EXPECT_EQ(Line(9), QByteArray("#1001T39\r"));
    EXPECT_TRUE(WaitFor([&] { return form->StatusPanelText(3) == "1"; }));
    EXPECT_EQ(form->StatusPanelText(1), "2");
    EXPECT_EQ(form->StatusPanelText(5), "0");

    form->Button1->click();
    EXPECT_FALSE(PollActive);
    EXPECT_EQ(form->Button1->text(), "Старт");
    EXPECT_EQ(form->Edit1->text(), "Опрос остановлен");
    EXPECT_EQ(Panel()->Stops, 1);
}

TEST_F(MainWindowTest, SecondPortIsRefusedAndTheFirstKeepsTheNewSpeed)
{
    Pick(form->ComboBox1, "vtest0");
    form->ComboBox2->setCurrentIndex(3);
    Pick(form->ComboBox1, "vtest1");
    EXPECT_EQ(messages.Texts, QStringList{"Нельзя менять свойство, пока порт открыт"});
    EXPECT_TRUE(form->BComPort1->Connected());
    EXPECT_EQ(form->BComPort1->Port(), "vtest0");
    EXPECT_EQ(form->BComPort1->BaudRate(), br19200);
    // The list shows the port that stays open and is polled, not the refused one.
    EXPECT_EQ(form->ComboBox1->currentText(), "vtest0");
}

TEST_F(MainWindowTest, SpeedChangeDuringPollingIsAppliedAtOnce)
{
    ReadyToStart();
    form->Button1->click();
    Pick(form->ComboBox2, "9600");
    EXPECT_EQ(form->BComPort1->BaudRate(), br9600);
    EXPECT_TRUE(PollActive);
    EXPECT_TRUE(messages.Texts.isEmpty());
}

TEST_F(MainWindowTest, AnotherModelDuringPollingLeavesTheStatusLine)
{
    ReadyToStart();
    form->Button1->click();
    QPointer<RecordingPanel> old = Panel();
    form->ComboBox3->setCurrentIndex(1);
    EXPECT_FALSE(PollActive);
    EXPECT_EQ(form->Button1->text(), "Старт");
    EXPECT_EQ(form->Edit1->text(), "Опрос текущего состояния включен");
    EXPECT_EQ(old->Stops, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(Panel()->Starts, 0);
    EXPECT_EQ(form->MdiArea->subWindowList().size(), 1);
}

TEST_F(MainWindowTest, ModelWithoutPanelShowsAnEmptyChildAndStaysIdle)
{
    ReadyToStart();
    form->ComboBox3->setCurrentIndex(3);
    ASSERT_NE(form->CurrentChild(), nullptr);
    EXPECT_EQ(form->CurrentPanel(), nullptr);
    EXPECT_TRUE(form->CurrentChild()->isMaximized());
    EXPECT_EQ(form->CurrentChild()->windowTitle(), "ТОРВИС");
    form->Button1->click();
    EXPECT_TRUE(PollActive);
    EXPECT_FALSE(form->Timer1->isActive());
    pollfd p{Master, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 50), 0); // nothing on the line
}

TEST_F(MainWindowTest, StartWithClosedPortIsAcceptedButSendsNothing)
{
    form->ComboBox1->setCurrentIndex(0); // selected, never opened
    form->ComboBox3->setCurrentIndex(2);
    form->MaskEdit1->SetText("001");
    form->Button1->click();
    EXPECT_EQ(form->Button1->text(), "Стоп");
    EXPECT_EQ(form->Edit1->text(), "Опрос текущего состояния включен");
    EXPECT_EQ(Panel()->Starts, 1);
    EXPECT_EQ(form->FRequestCount, 0);
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(MainWindowTest, VanishedDeviceClosesThePortStopsPollingAndSaysSoOnce)
{
    ReadyToStart();
    form->Button1->click();
    EXPECT_EQ(Line(9), QByteArray("#1001T39\r"));
    CloseMaster(); // the adapter is pulled
    ASSERT_TRUE(WaitFor([&] { return !form->BComPort1->Connected(); }));
    EXPECT_TRUE(WaitFor([&] { return messages.Texts.size() == 1; }));
    EXPECT_TRUE(messages.Texts[0].contains("vtest0"));
    EXPECT_FALSE(PollActive);
    EXPECT_EQ(form->Button1->text(), "Старт");
    EXPECT_EQ(form->Edit1->text(), "Опрос остановлен");
    EXPECT_EQ(Panel()->Losses, 1) << "the panel shows the loss too";
    EXPECT_EQ(form->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(form->FDeviceKind, devices::TDeviceKind::Olvin4);

    // The adapter is back under the same name: picking it reopens it.
    int slave = -1;
    ASSERT_EQ(::openpty(&Master, &slave, nullptr, nullptr, nullptr), 0);
    const QString path = QString::fromLocal8Bit(::ttyname(slave));
    ::close(slave);
    const QByteArray link = QDir(Dir.path()).filePath(QStringLiteral("vtest0")).toLocal8Bit();
    ::unlink(link.constData());
    ASSERT_EQ(::symlink(path.toLocal8Bit().constData(), link.constData()), 0);
    form->ComboBox1->showPopup(); // the list is read again as it opens
    form->ComboBox1->hidePopup();
    Pick(form->ComboBox1, "vtest0");
    EXPECT_TRUE(form->BComPort1->Connected());
    form->Button1->click();
    EXPECT_EQ(Line(9), QByteArray("#1001T39\r"));
    EXPECT_EQ(messages.Texts.size(), 1);
}

} // namespace

namespace {

TEST_F(MainWindowTest, ClosingTheWindowClosesThePortAndEndsTheProgram)
{
    ReadyToStart();
    ASSERT_TRUE(form->BComPort1->Connected());
    form->show();
    // The program's own loop must end when its window closes; 2 marks a loop
    // that had to be ended from outside.
    QTimer::singleShot(0, form.get(), [this] { form->close(); });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(2); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(form->BComPort1->Connected());
}

} // namespace
