// What a technician meets with real adapters, played on pseudo-terminals: why
// a port will not open, the low-latency request, and a device that vanishes.
#include "support/LockHolder.h"
#include "support/PtyFixture.h"

#include "port/DeviceAccess.h"
#include "port/PortWatcher.h"

#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

// Runs child in a process of its own and returns what it wrote to out (at
// most a few kilobytes); the child ends when child returns.
QString InChild(const std::function<void(int out)>& child)
{
    int pipe[2];
    if (::pipe(pipe) != 0)
        return QStringLiteral("pipe failed");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipe[0]);
        child(pipe[1]);
        ::_exit(0);
    }
    ::close(pipe[1]);
    QByteArray got;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        got.append(buffer, n);
    ::close(pipe[0]);
    ::waitpid(pid, nullptr, 0);
    return QString::fromUtf8(got);
}

void Write(int fd, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    [[maybe_unused]] const ssize_t n = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
}

// The message of what f raises, and whether it was the loss of the device.
struct Failure {
    QString Message;
    bool Loss = false;
};
template <typename F> Failure FailureOf(F f)
{
    try {
        f();
    } catch (const EComDeviceLost& e) {
        return {e.Message(), true};
    } catch (const EComPort& e) {
        return {e.Message(), false};
    }
    return {};
}

} // namespace

TEST_F(PtyTest, EachOpenFailureSaysItsCause)
{
    LockHolder holder(SlavePath);
    ASSERT_TRUE(holder.Locked);
    struct Row {
        const char* Cause;
        QString Port;
        QString Expected;
    };
    const Row rows[] = {
        {"no such device", QStringLiteral("ttyNOPE9"), QStringLiteral("Попытка открыть несуществующий COM-порт")},
        {"held by another process", QStringLiteral("vtest0"),
         QStringLiteral("Порт занят другой программой: port_tests (PID %1)").arg(holder.Pid)},
    };
    for (const Row& row : rows) {
        TBComPort port;
        port.SetPort(row.Port);
        EXPECT_EQ(FailureOf([&] { port.Open(); }).Message, row.Expected) << row.Cause;
        EXPECT_FALSE(port.Connected()) << row.Cause;
    }
    holder.Release();
    TBComPort port;
    OpenPort(port);
}

TEST_F(PtyTest, APortTheUserMayNotOpenSaysHowToGetAccess)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a throw-away user is needed, and only root can become one";
    const group* dialout = ::getgrnam("dialout");
    if (!dialout)
        GTEST_SKIP() << "this machine has no group dialout to give the device";
    const QByteArray node = SlavePath.toLocal8Bit();
    ASSERT_EQ(::chown(node.constData(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(node.constData(), 0660), 0);
    // nobody, in no group but its own, as a new user on the machine.
    const QString message = InChild([&](int out) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            return Write(out, QStringLiteral("cannot become nobody"));
        TBComPort port;
        port.SetPort(SlavePath);
        Write(out, FailureOf([&] { port.Open(); }).Message);
    });
    EXPECT_EQ(message, QStringLiteral("Нет доступа к порту %1: у пользователя nobody нет прав на %1. Доступ к нему "
                                      "есть у группы dialout: добавьте пользователя в эту группу (sudo usermod "
                                      "-aG dialout nobody) и войдите в систему заново.")
                           .arg(SlavePath));
}

TEST(AccessMessage, TellsWhatTheUserHasToDo)
{
    TAccessFacts facts;
    facts.Port = QStringLiteral("ttyUSB0");
    facts.Device = QStringLiteral("/dev/ttyUSB0");
    facts.User = QStringLiteral("ivan");
    facts.Owner = QStringLiteral("root");
    facts.Group = QStringLiteral("dialout");
    struct Row {
        bool GroupMayUse, InGroup, SessionHasGroup;
        QString Expected;
    };
    const Row rows[] = {
        {true, false, false,
         "Нет доступа к порту ttyUSB0: у пользователя ivan нет прав на /dev/ttyUSB0. Доступ к нему есть у группы "
         "dialout: добавьте пользователя в эту группу (sudo usermod -aG dialout ivan) и войдите в систему заново."},
        {true, true, false,
         "Нет доступа к порту ttyUSB0: пользователь ivan уже в группе dialout, но сеанс начат до этого. Войдите в "
         "систему заново."},
        {true, true, true,
         "Нет доступа к порту ttyUSB0: у пользователя ivan нет прав на /dev/ttyUSB0 (владелец root, группа dialout). "
         "Попросите администратора открыть доступ к устройству."},
        {false, false, false,
         "Нет доступа к порту ttyUSB0: у пользователя ivan нет прав на /dev/ttyUSB0 (владелец root, группа dialout). "
         "Попросите администратора открыть доступ к устройству."},
    };
    for (const Row& row : rows) {
        facts.GroupMayUse = row.GroupMayUse;
        facts.InGroup = row.InGroup;
        facts.SessionHasGroup = row.SessionHasGroup;
        EXPECT_EQ(AccessDeniedMessage(facts), row.Expected);
    }
}

TEST_F(PtyTest, HoldersAreNamedFromProc)
{
    // A /proc of three processes, two of which hold the device.
    QTemporaryDir proc;
    ASSERT_TRUE(proc.isValid());
    const auto process = [&](int pid, const QByteArray& name, const QString& fdTarget) {
        const QString dir = proc.filePath(QString::number(pid));
        ASSERT_TRUE(QDir().mkpath(dir + "/fd"));
        QFile comm(dir + "/comm");
        ASSERT_TRUE(comm.open(QIODevice::WriteOnly));
        comm.write(name + '\n');
        ASSERT_EQ(::symlink(fdTarget.toLocal8Bit().constData(), (dir + "/fd/7").toLocal8Bit().constData()), 0);
    };
    process(1204, "brltty", SlavePath);
    process(812, "ModemManager", SlavePath);
    process(900, "bash", QStringLiteral("/dev/null"));
    EXPECT_EQ(zorvex::detail::DeviceHolders(proc.path(), SlavePath),
              QStringLiteral("ModemManager (PID 812), brltty (PID 1204)"));

    EXPECT_EQ(zorvex::detail::DeviceHolders(proc.path(), QStringLiteral("/dev/null")),
              QStringLiteral("bash (PID 900)"));
    EXPECT_TRUE(zorvex::detail::DeviceHolders(proc.path(), QStringLiteral("/dev/zero")).isEmpty());
}

TEST_F(PtyTest, ADriverWithoutLowLatencyIsNoFault)
{
    QStringList reported;
    SetPortErrorHandler([&](const std::exception& e) { reported << QString::fromUtf8(e.what()); });
    TBComPort port;
    OpenPort(port);
    EXPECT_FALSE(port.LowLatency());
    const int fd = ::open(SlavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(RequestLowLatency(fd)); // a pseudo-terminal has no such setting
    ::close(fd);
    port.WriteStr("#1001T39\r");
    EXPECT_EQ(Receive(9), QByteArray("#1001T39\r"));
    port.Close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(reported.isEmpty()) << reported.join('|').toStdString();
    SetPortErrorHandler({});
}

TEST_F(PtyTest, WhatFailsOnAVanishedDeviceIsItsLossReportedOnce)
{
    QStringList reported;
    SetPortErrorHandler([&](const std::exception& e) { reported << QString::fromUtf8(e.what()); });
    QByteArray text;
    struct Row {
        const char* Operation;
        std::function<void(TBComPort&)> Call;
        QString Message;
    };
    const Row rows[] = {
        {"ReadStr", [&](TBComPort& p) { p.ReadStr(text, 10); }, QStringLiteral("Ошибка чтения из порта")},
        {"WriteStr", [](TBComPort& p) { p.WriteStr("#1001T39\r"); }, QStringLiteral("Ошибка записи в порт")},
        {"InputCount", [](TBComPort& p) { p.InputCount(); }, QStringLiteral("Ошибка функции ClearCommError")},
        {"DoError", [](TBComPort& p) { p.DoError(); }, QStringLiteral("Ошибка функции ClearCommError")},
        // A pseudo-terminal has no modem lines, and once it said so it is not
        // asked again: switching RTS finds nothing, and the write after it the loss.
        {"SetRTS", [](TBComPort& p) { p.SetRTS(false); }, QString()},
        {"ModemSignals", [](TBComPort& p) { p.ModemSignals(); }, QStringLiteral("Ошибка функции GetCommModemStatus")},
        {"SetBaudRate", [](TBComPort& p) { p.SetBaudRate(br19200); }, QStringLiteral("Ошибка функции SetCommState")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Operation);
        Replug();
        TBComPort port;
        int lost = 0;
        port.OnDeviceLost = [&](QObject*) { ++lost; };
        OpenPort(port);
        CloseMaster(); // pulled: the call may come before the event thread sees it, or after
        const Failure first = FailureOf([&] { row.Call(port); });
        EXPECT_EQ(first.Message, row.Message);
        EXPECT_EQ(first.Loss, !row.Message.isEmpty());
        EXPECT_TRUE(FailureOf([&] { port.WriteStr("x"); }).Loss);
        // Delivered steps that find it gone report nothing of their own.
        port.DispatchEvents({evError, evRxChar, evCTS});
        ASSERT_TRUE(WaitFor([&] { return lost > 0; }));
        QCoreApplication::processEvents();
        EXPECT_EQ(lost, 1);
        port.Close();
        EXPECT_FALSE(port.Connected());
    }
    SetPortErrorHandler({});
    EXPECT_TRUE(reported.isEmpty()) << reported.join('|').toStdString();
    // Failures of a port that has no device open are its errors as before.
    TBComPort closed;
    const Failure failure = FailureOf([&] { closed.ReadStr(text, 10); });
    EXPECT_EQ(failure.Message, QStringLiteral("Ошибка чтения из порта"));
    EXPECT_FALSE(failure.Loss);
    closed.SetPort(QStringLiteral("/dev/null"));
    EXPECT_FALSE(FailureOf([&] { closed.Open(); }).Loss);
}

TEST(PortWatcher, SeesLinksInAFolderThatAppearsOnlyLater)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString byId = root.filePath("serial/by-id"); // made by udev with the first adapter
    TPortWatcher watcher({byId});
    int changes = 0;
    QObject::connect(&watcher, &TPortWatcher::Changed, [&] { ++changes; });
    watcher.Start();
    ASSERT_TRUE(QDir().mkpath(byId));
    ASSERT_TRUE(WaitFor([&] { return changes > 0; }));
    // Watched through its parent until now: what comes in it from here on is seen too.
    QCoreApplication::processEvents();
    const int before = changes;
    ASSERT_EQ(::symlink("/dev/null", (byId + "/usb-FTDI_A5-if00-port0").toLocal8Bit().constData()), 0);
    ASSERT_TRUE(WaitFor([&] { return changes > before; }));

    watcher.Stop();
    const int stopped = changes;
    ASSERT_EQ(::symlink("/dev/null", (byId + "/usb-FTDI_B6-if00-port0").toLocal8Bit().constData()), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(changes, stopped);
}
