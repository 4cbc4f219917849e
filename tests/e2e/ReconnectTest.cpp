// A USB adapter pulled while polling runs, played by the simulator: the
// program waits for it without a box and goes on polling when it is back.
#include "support/LockHolder.h"
#include "support/ProgramFixture.h"
#include "ui/LogView.h"

#include "app/PortReconnect.h"

#include <QPlainTextEdit>
#include <QTimer>

#include <QElapsedTimer>
#include <QThread>

#include <csignal>
#include <pty.h>

namespace {

class ReconnectTest : public ProgramTest {
protected:
    void StartPolling() { Start(1, {"--serial", "E2E"}); }
    void Signal(int signal) { ::kill(static_cast<pid_t>(Sim.processId()), signal); }
    void Pull()
    {
        const int responses = form->FResponseCount;
        ASSERT_TRUE(WaitFor([&] { return form->FResponseCount >= responses + 3; })) << "polling runs";
        Signal(SIGUSR1);
        ASSERT_TRUE(WaitFor([&] { return Waiting(); }));
    }
    bool Waiting() const { return form->findChild<TPortReconnect*>()->Waiting(); }
    QString LastLogLine() const { return form->Memo1->toPlainText().section('\n', -1); }
    QString Link(const QString& name) const { return QDir(Dir.path()).filePath(name); }
};

TEST_F(ReconnectTest, PolledAdapterPulledAndBackGoesOnPollingByItself)
{
    struct Row {
        bool NameTaken; // another port took the name meanwhile
        QString Back;
        QString Logged;
    };
    const Row rows[] = {
        {false, "vsim0", "Порт vsim0 снова открыт, опрос продолжен: связи не было "},
        {true, "vsim1", "Адаптер порта vsim0 снова подключён как vsim1, опрос продолжен: связи не было "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Back.toStdString());
        StartPolling();
        ASSERT_EQ(PortName, "vsim0");
        Pull();
        const QString lost = "Связь с портом vsim0 потеряна: устройство отключено. Ожидание подключения того же "
                             "адаптера…";
        EXPECT_EQ(form->Edit1->text(), lost);
        EXPECT_EQ(LastLogLine(), lost);
        EXPECT_FALSE(form->BComPort1->Connected());
        EXPECT_TRUE(PollActive);
        EXPECT_EQ(form->Button1->text(), "Стоп");
        EXPECT_FALSE(form->Timer1->isActive()) << "no timeouts are counted while the adapter is away";
        const int requests = form->FRequestCount;
        const int responses = form->FResponseCount;
        const int errors = form->FErrorCount;

        if (row.NameTaken) {
            ASSERT_EQ(::symlink("/dev/null", Link("vsim0").toLocal8Bit().constData()), 0);
        }
        Signal(SIGUSR2);
        ASSERT_TRUE(WaitFor([&] { return form->FResponseCount >= responses + 3; })) << "polling goes on";
        EXPECT_TRUE(form->BComPort1->Connected());
        EXPECT_EQ(form->BComPort1->Port(), row.Back);
        EXPECT_EQ(form->ComboBox1->currentText(), row.Back);
        EXPECT_EQ(form->Edit1->text(), "Опрос текущего состояния включен");
        EXPECT_TRUE(form->Memo1->toPlainText().contains(row.Logged));
        EXPECT_GT(form->FRequestCount, requests) << "the counters go on";
        EXPECT_LE(form->FErrorCount, errors + 1);
        EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
        TearDown();
        ::unlink(Link("vsim0").toLocal8Bit().constData());
    }
}

TEST_F(ReconnectTest, StopAnotherModelOrAnotherPortEndsTheWait)
{
    // Another port to pick: a pseudo-terminal published beside the simulator's.
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const QByteArray other = ::ttyname(slave);
    ::close(slave);
    enum class TCancel { Stop, Model, Port };
    for (const TCancel how : {TCancel::Stop, TCancel::Model, TCancel::Port}) {
        SCOPED_TRACE(static_cast<int>(how));
        StartPolling();
        ASSERT_EQ(::symlink(other.constData(), Link("vother").toLocal8Bit().constData()), 0);
        Pull();
        switch (how) {
        case TCancel::Stop:
            form->Button1->click();
            break;
        case TCancel::Model:
            form->ComboBox3->setCurrentIndex(2);
            break;
        case TCancel::Port:
            form->RefreshPortList();
            form->ComboBox1->setCurrentIndex(form->ComboBox1->findText("vother"));
            emit form->ComboBox1->activated(form->ComboBox1->currentIndex());
            break;
        }
        EXPECT_FALSE(Waiting());
        EXPECT_FALSE(PollActive);
        EXPECT_EQ(form->Button1->text(), "Старт");
        EXPECT_EQ(form->Edit1->text(), "Опрос остановлен");
        EXPECT_EQ(form->ComboBox1->currentText(), how == TCancel::Port ? "vother" : "");
        EXPECT_EQ(form->BComPort1->Connected(), how == TCancel::Port);

        // The adapter comes back and is left alone.
        Signal(SIGUSR2);
        ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(Link("vsim0")); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(form->BComPort1->Port(), how == TCancel::Port ? "vother" : "vsim0");
        EXPECT_EQ(form->BComPort1->Connected(), how == TCancel::Port);
        EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
        TearDown();
        ::unlink(Link("vother").toLocal8Bit().constData());
    }
    ::close(master);
}

TEST_F(ReconnectTest, AnAdapterHeldByAnotherWhenBackIsOpenedOnceReleased)
{
    StartPolling();
    Pull();
    const int responses = form->FResponseCount;
    Signal(SIGUSR2);
    // Before the window hears of it, another process takes the adapter, as a
    // modem manager probing a new port does.
    QElapsedTimer guard;
    guard.start();
    while (!QFileInfo::exists(Link("vsim0")) && guard.elapsed() < 10000)
        QThread::msleep(5);
    LockHolder holder(Link("vsim0"));
    ASSERT_TRUE(holder.Locked);
    const QString held = QStringLiteral("Адаптер порта vsim0 снова подключён, но порт не открывается: Порт занят "
                                        "другой программой: e2e_tests (PID %1). Новая попытка каждую секунду…")
                             .arg(holder.Pid);
    EXPECT_TRUE(WaitFor([&] { return form->Edit1->text() == held; })) << form->Edit1->text().toStdString();
    EXPECT_TRUE(Waiting());
    holder.Release();
    EXPECT_TRUE(WaitFor([&] { return form->FResponseCount > responses; })) << "opened at the next try";
    EXPECT_EQ(form->Edit1->text(), "Опрос текущего состояния включен");
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
}

} // namespace
