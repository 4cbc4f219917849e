#include "support/SimTestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#ifndef ZORVEX_SIM_BINARY
#error "ZORVEX_SIM_BINARY must name the zorvex-sim executable"
#endif

using simtest::Request;
using simtest::ValidAnswer;

namespace {

// A guard against a hung simulator, not a measure of its speed.
constexpr int kGuardMs = 10000;

class TSimProcess {
public:
    explicit TSimProcess(const QStringList& args)
    {
        FProcess.setProgram(ZORVEX_SIM_BINARY);
        FProcess.setArguments(args);
        FProcess.setProcessChannelMode(QProcess::SeparateChannels);
        FProcess.start();
    }
    ~TSimProcess()
    {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.kill();
            FProcess.waitForFinished(kGuardMs);
        }
    }
    // The published link, once the simulator serves.
    QString WaitForPort()
    {
        while (!FProcess.canReadLine())
            if (!FProcess.waitForReadyRead(kGuardMs))
                return {};
        return QString::fromLocal8Bit(FProcess.readLine()).trimmed();
    }
    QProcess& Process() { return FProcess; }

private:
    QProcess FProcess;
};

int OpenRaw(const QString& path)
{
    const int fd = open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return fd;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

// Reads until lines CRs have come, or the guard runs out.
QByteArray ReadLines(int fd, int lines)
{
    QByteArray got;
    while (got.count('\r') < lines) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kGuardMs) <= 0)
            break;
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, n);
    }
    return got;
}

QByteArray Exchange(int fd, const QByteArray& body)
{
    const QByteArray request = Request(body);
    EXPECT_EQ(write(fd, request.constData(), request.size()), request.size());
    return ReadLines(fd, 2);
}

} // namespace

TEST(ZorvexSim, ServesAPseudoTerminalAndRemovesItsLinkOnSigterm)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ports = dir.filePath("ports"); // created by the simulator
    TSimProcess sim({"--dir", ports, "--print-port", "--devices", "SLT:001,1:002"});
    const QString link = sim.WaitForPort();
    ASSERT_EQ(link, ports + "/vsim0") << sim.Process().readAllStandardError().constData();
    ASSERT_TRUE(QFileInfo(link).isSymLink());

    int fd = OpenRaw(link);
    ASSERT_GE(fd, 0) << strerror(errno);
    const QByteArray got = Exchange(fd, "#SLT001T");
    const QByteArray request = Request("#SLT001T");
    ASSERT_TRUE(got.startsWith(request)) << got.constData();
    const QByteArray answer = got.mid(request.size());
    EXPECT_TRUE(ValidAnswer(answer)) << answer.constData();
    EXPECT_TRUE(answer.startsWith("~001T"));
    EXPECT_TRUE(Exchange(fd, "#1002T").contains("~002T"));

    // The program closes the port and opens it again: the simulator still serves.
    close(fd);
    fd = OpenRaw(link);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(ValidAnswer(Exchange(fd, "#SLT001u").mid(request.size())));
    close(fd);

    sim.Process().terminate(); // SIGTERM
    ASSERT_TRUE(sim.Process().waitForFinished(kGuardMs));
    EXPECT_EQ(sim.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.Process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(link) || QFileInfo(link).isSymLink());
}

TEST(ZorvexSim, TakesTheFirstFreeNameAndReplacesADanglingLink)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(symlink("/dev/null", dir.filePath("vsim0").toLocal8Bit().constData()), 0); // alive: keep
    ASSERT_EQ(symlink(dir.filePath("gone").toLocal8Bit().constData(), dir.filePath("vsim1").toLocal8Bit().constData()),
              0); // dangling: may go
    TSimProcess sim({"--dir", dir.path(), "--print-port", "--fast", "--log"});
    const QString link = sim.WaitForPort();
    ASSERT_EQ(link, dir.filePath("vsim1"));
    const int fd = OpenRaw(link);
    ASSERT_GE(fd, 0);
    // Default devices: one of each model at 001.
    for (const QByteArray& body :
         {QByteArray("#OV3001T"), QByteArray("#SLT001T"), QByteArray("#1001T"), QByteArray("#TRV001T")}) {
        const QByteArray got = Exchange(fd, body);
        EXPECT_TRUE(ValidAnswer(got.mid(Request(body).size()))) << body.constData();
    }
    close(fd);
    sim.Process().terminate();
    ASSERT_TRUE(sim.Process().waitForFinished(kGuardMs));
    EXPECT_EQ(sim.Process().exitCode(), 0);
    EXPECT_TRUE(QFileInfo(dir.filePath("vsim0")).isSymLink()) << "another's live link stays";
    EXPECT_FALSE(QFileInfo(dir.filePath("vsim1")).isSymLink());
    const QByteArray log = sim.Process().readAllStandardError();
    EXPECT_TRUE(log.contains("#SLT001TFB -> ~001T")) << log.constData();
}

TEST(ZorvexSim, RefusesBadOptions)
{
    for (const QStringList& args :
         {QStringList{"--drop", "1.5"}, QStringList{"--devices", "XYZ:001"}, QStringList{"--baud", "fast"},
          QStringList{"--unplug", "0"}, QStringList{"--unplug", "1,x"}, QStringList{"--serial", "a/b"}}) {
        QProcess p;
        p.start(ZORVEX_SIM_BINARY, args + QStringList{"--dir", "/nonexistent/never"});
        ASSERT_TRUE(p.waitForFinished(kGuardMs));
        EXPECT_NE(p.exitCode(), 0) << args.join(' ').toStdString();
        EXPECT_FALSE(p.readAllStandardError().isEmpty());
    }
}

namespace {

// Where a link leads, or empty when it leads nowhere.
QString Target(const QString& link) { return QFileInfo(link).canonicalFilePath(); }

// True once the other side has hung up on fd.
bool HungUp(int fd)
{
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, kGuardMs) <= 0)
        return false;
    char c;
    return (p.revents & POLLHUP) || read(fd, &c, 1) <= 0;
}

} // namespace

TEST(ZorvexSim, PlaysAPulledAdapterAndItsReturnUnderTheSameStableLink)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TSimProcess sim({"--dir", dir.path(), "--print-port", "--fast", "--serial", "T7"});
    const QString link = sim.WaitForPort();
    ASSERT_EQ(link, dir.filePath("vsim0"));
    const QString stable = dir.filePath("by-id/zorvex-sim-T7");
    ASSERT_EQ(Target(stable), Target(link));
    int fd = OpenRaw(link);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(ValidAnswer(Exchange(fd, "#SLT001T").mid(Request("#SLT001T").size())));

    kill(sim.Process().processId(), SIGUSR1); // pulled
    EXPECT_TRUE(HungUp(fd));
    close(fd);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(QFileInfo(stable).isSymLink());

    // Meanwhile another port took the name, as ttyUSB0 becomes ttyUSB1.
    ASSERT_EQ(symlink("/dev/null", link.toLocal8Bit().constData()), 0);
    kill(sim.Process().processId(), SIGUSR2); // plugged in again
    const QString again = sim.WaitForPort();
    ASSERT_EQ(again, dir.filePath("vsim1"));
    EXPECT_EQ(Target(stable), Target(again));
    fd = OpenRaw(again);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(ValidAnswer(Exchange(fd, "#SLT001T").mid(Request("#SLT001T").size())));
    close(fd);

    sim.Process().terminate();
    ASSERT_TRUE(sim.Process().waitForFinished(kGuardMs));
    EXPECT_EQ(sim.Process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo(again).isSymLink());
    EXPECT_FALSE(QFileInfo(dir.filePath("by-id")).exists()) << "the empty by-id folder goes with it";
}

TEST(ZorvexSim, UnplugsAndPlugsInAgainByItself)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TSimProcess sim({"--dir", dir.path(), "--print-port", "--fast", "--unplug", "0.5,0.2"});
    const QString link = sim.WaitForPort();
    ASSERT_FALSE(link.isEmpty());
    // On a busy machine the first unplug may come before this open.
    if (const int fd = OpenRaw(link); fd >= 0) {
        EXPECT_TRUE(HungUp(fd));
        close(fd);
    }
    EXPECT_EQ(sim.WaitForPort(), link) << "back under its name";
    const QString stable = dir.filePath("by-id/zorvex-sim-" + QString::number(sim.Process().processId()));
    EXPECT_EQ(Target(stable), Target(link));
}
