// zorvex-sim: devices of the four models on a pseudo-terminal that the program
// sees as a serial port.

#include "port/VirtualPorts.h"
#include "sim/Bus.h"
#include "sim/Line.h"
#include "sim/Publish.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>

namespace {

long long NowUs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1'000'000LL + ts.tv_nsec / 1000;
}

[[noreturn]] void Fail(const QString& text)
{
    std::fprintf(stderr, "zorvex-sim: %s\n", qPrintable(text));
    std::exit(2);
}

bool ParseShare(const QCommandLineParser& p, const QString& name, double& share)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    share = p.value(name).toDouble(&ok);
    return ok && share >= 0 && share <= 1;
}

int BaudOf(speed_t speed)
{
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return 19200;
    }
}

QByteArray Printable(const QByteArray& bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F)
            out += c;
        else
            out += "\\x" + QByteArray::number(u, 16).toUpper().rightJustified(2, '0');
    }
    return out;
}

void LogExchange(const sim::TExchange& e)
{
    QByteArray line = QDateTime::currentDateTime().toString("HH:mm:ss.zzz").toLatin1() + ' ' + Printable(e.Request);
    if (e.Dropped)
        line += " -> (dropped)";
    else if (e.Answer.isEmpty())
        line += " -> (no answer)";
    else
        line += " -> " + Printable(e.Answer.chopped(1));
    for (const auto& [on, name] : {std::pair{e.Corrupted, "corrupt"}, std::pair{e.Noisy, "noise"},
                                   std::pair{e.Split, "split"}, std::pair{e.Late, "late"}})
        if (on)
            line += QByteArray(" [") + name + ']';
    std::fprintf(stderr, "%s\n", line.constData());
}

void WriteAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // Nobody reads the port (EAGAIN with a full queue, EIO): the line just
        // carries the characters into the void.
        return;
    }
}

// The simulator's end of the line: a pseudo-terminal published as a port,
// which it can pull out and plug in again as a technician does with a USB
// adapter: the program's side hangs up and the link vanishes; plugged in, a
// new pseudo-terminal is published, under the stable link of the same name.
struct TPlug {
    int Master = -1;
    int Slave = -1;
    QString SlaveName;
    QString Link;
    QString StableLink;
    bool In() const { return Master >= 0; }
};

bool PlugIn(TPlug& plug, const QString& dir, const QString& stableName, QString& error)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        error = QString("pseudo-terminal: %1").arg(std::strerror(errno));
        if (master >= 0)
            close(master);
        return false;
    }
    const QString slaveName = QString::fromLocal8Bit(ptsname(master));
    // Holding the slave open ourselves keeps the master from hanging up when the
    // program closes the port, so poll never spins on POLLHUP between sessions.
    const int slave = open(slaveName.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = QString("%1: %2").arg(slaveName, std::strerror(errno));
        close(master);
        return false;
    }
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tcsetattr(slave, TCSANOW, &tio);

    const QString link = sim::PublishLink(dir, slaveName);
    QString stable;
    if (!link.isEmpty() && !stableName.isEmpty()) {
        stable = sim::PublishStableLink(QDir(dir).filePath(zorvex::ByIdFolder), stableName, slaveName);
        if (stable.isEmpty())
            sim::UnpublishLink(link, slaveName);
    }
    if (link.isEmpty() || (!stableName.isEmpty() && stable.isEmpty())) {
        error = QString("cannot publish the port in %1: %2").arg(dir, std::strerror(errno));
        close(slave);
        close(master);
        return false;
    }
    plug = {master, slave, slaveName, link, stable};
    return true;
}

void Unplug(TPlug& plug)
{
    if (!plug.In())
        return;
    if (!plug.StableLink.isEmpty())
        sim::UnpublishLink(plug.StableLink, plug.SlaveName);
    sim::UnpublishLink(plug.Link, plug.SlaveName);
    close(plug.Slave);
    close(plug.Master);
    plug = {};
}

// "AFTER[,DOWN]" in seconds; DOWN is 2 when left out.
bool ParseUnplug(const QString& text, double& after, double& down)
{
    const QStringList parts = text.split(',');
    bool okAfter = false;
    bool okDown = true;
    after = parts.value(0).toDouble(&okAfter);
    down = parts.size() == 2 ? parts[1].toDouble(&okDown) : 2.0;
    return parts.size() <= 2 && okAfter && okDown && after > 0 && down > 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zorvex-sim");
    QCommandLineParser p;
    p.setApplicationDescription("Simulated RS-485 line with devices of the four models, on a pseudo-terminal.");
    p.addHelpOption();
    p.addOptions({
        {"devices", "Devices as MODEL:ADDRESS,... (models OV3, SLT, 1, TRV); default one of each at 001.", "list"},
        {"dir", QString("Directory for the port link (default %1).").arg(zorvex::VirtualPortDir), "dir"},
        {"baud", "Pace at this line speed (8N1); default: the speed the program set on the port.", "bits/s"},
        {"turnaround", "Device turnaround delay in ms when pacing (default 3).", "ms"},
        {"fast", "No pacing: answer as fast as possible."},
        {"drop", "Share 0..1 of answers dropped.", "share"},
        {"corrupt", "Share of answers with a wrong checksum.", "share"},
        {"split", "Share of answers written in several pieces.", "share"},
        {"noise", "Share of answers with stray bytes before \"~\".", "share"},
        {"late", QString("Share of answers sent late (%1 ms).").arg(sim::TBus::LateMs), "share"},
        {"seed", "Seed of live values and faults (default 1).", "n"},
        {"log", "One line per exchange on stderr."},
        {"print-port", "Print the link's path on stdout once serving, and again after each re-plug; at the end the "
                       "number of requests that arrived while an answer was still on the line (\"collisions N\")."},
        {"unplug",
         "Play a pulled USB adapter: AFTER seconds into serving, and again after each re-plug, the port vanishes "
         "for DOWN seconds (default 2). SIGUSR1 pulls it and SIGUSR2 plugs it back at any time.",
         "after[,down]"},
        {"serial",
         QString("Serial number of the simulated adapter: it keeps the stable link %1/zorvex-sim-SERIAL across "
                 "re-plugs (default with --unplug: the process number).")
             .arg(zorvex::ByIdFolder),
         "serial"},
    });
    p.process(app);

    std::vector<sim::TDeviceSpec> devices = sim::DefaultDevices();
    QString error;
    if (p.isSet("devices") && !sim::ParseDevices(p.value("devices"), devices, error))
        Fail("--devices: " + error);
    sim::TFaultShares faults;
    for (const auto& [name, share] : {std::pair<QString, double*>{"drop", &faults.Drop},
                                      {"corrupt", &faults.Corrupt},
                                      {"split", &faults.Split},
                                      {"noise", &faults.Noise},
                                      {"late", &faults.Late}})
        if (!ParseShare(p, name, *share))
            Fail(QString("--%1: a share from 0 to 1 is expected").arg(name));
    bool ok = true;
    const qulonglong seed = p.isSet("seed") ? p.value("seed").toULongLong(&ok) : 1;
    if (!ok)
        Fail("--seed: a whole number is expected");
    const int baud = p.isSet("baud") ? p.value("baud").toInt(&ok) : 0;
    if (!ok || baud < 0 || (p.isSet("baud") && baud < 50))
        Fail("--baud: a line speed in bits/s is expected");
    const int turnaround = p.isSet("turnaround") ? p.value("turnaround").toInt(&ok) : 3;
    if (!ok || turnaround < 0)
        Fail("--turnaround: milliseconds are expected");
    const bool fast = p.isSet("fast");
    double unplugAfter = 0;
    double unplugDown = 0;
    if (p.isSet("unplug") && !ParseUnplug(p.value("unplug"), unplugAfter, unplugDown))
        Fail("--unplug: seconds AFTER[,DOWN] above 0 are expected");
    QString stableName;
    if (p.isSet("serial") || p.isSet("unplug")) {
        const QString serial =
            p.isSet("serial") ? p.value("serial") : QString::number(QCoreApplication::applicationPid());
        if (serial.isEmpty() || serial.contains(QRegularExpression("[^A-Za-z0-9_.-]")))
            Fail("--serial: letters, digits, \"_\", \".\" and \"-\" are expected");
        stableName = "zorvex-sim-" + serial;
    }

    sim::TBus bus(seed);
    for (const sim::TDeviceSpec& d : devices)
        bus.Add(d.Model, d.Address);
    bus.SetFaults(faults);
    if (p.isSet("log"))
        bus.SetLog(LogExchange);

    // Signals arrive as reads on a descriptor, so the loop below ends cleanly.
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGINT);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGHUP);
    sigaddset(&mask, SIGUSR1);
    sigaddset(&mask, SIGUSR2);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    const int signalFd = signalfd(-1, &mask, SFD_CLOEXEC);
    if (signalFd < 0)
        Fail(QString("signalfd: %1").arg(std::strerror(errno)));
    std::signal(SIGPIPE, SIG_IGN);

    const QString dir = p.isSet("dir") ? p.value("dir") : QString(zorvex::VirtualPortDir);
    TPlug plug;
    if (!PlugIn(plug, dir, stableName, error))
        Fail(error);
    const auto printPort = [&] {
        if (p.isSet("print-port")) {
            std::printf("%s\n", qPrintable(plug.Link));
            std::fflush(stdout);
        }
    };
    printPort();
    std::fprintf(stderr, "zorvex-sim: serving %zu device(s) on %s (%s)\n", devices.size(), qPrintable(plug.Link),
                 qPrintable(plug.SlaveName));

    const auto freshLine = [&] {
        sim::TLine fresh;
        fresh.SetTurnaroundUs(fast ? 0 : turnaround * 1000LL);
        return fresh;
    };
    sim::TLine line = freshLine();
    termios tio{};
    long long quietUntil = 0;
    long long collisions = 0;
    const bool scheduled = unplugAfter > 0;
    const auto afterUs = [](double seconds) { return NowUs() + static_cast<long long>(seconds * 1e6); };
    long long unplugAt = scheduled ? afterUs(unplugAfter) : -1;
    long long replugAt = -1;
    const auto pull = [&] {
        if (!plug.In())
            return;
        Unplug(plug);
        line = freshLine(); // what was on its way goes with the adapter
        unplugAt = -1;
        replugAt = scheduled ? afterUs(unplugDown) : -1;
        std::fprintf(stderr, "zorvex-sim: unplugged\n");
    };
    const auto plugBack = [&] {
        if (plug.In())
            return;
        replugAt = -1;
        if (!PlugIn(plug, dir, stableName, error)) {
            std::fprintf(stderr, "zorvex-sim: %s; trying again\n", qPrintable(error));
            replugAt = afterUs(1);
            return;
        }
        unplugAt = scheduled ? afterUs(unplugAfter) : -1;
        printPort();
        std::fprintf(stderr, "zorvex-sim: plugged in again on %s (%s)\n", qPrintable(plug.Link),
                     qPrintable(plug.SlaveName));
    };

    for (;;) {
        const long long now = NowUs();
        long long waitUs = -1;
        const auto until = [&](long long at) {
            if (at >= 0)
                waitUs = waitUs < 0 ? std::max(0LL, at - now) : std::min(waitUs, std::max(0LL, at - now));
        };
        if (!line.Empty())
            until(line.NextDueUs());
        const bool quiet = now < quietUntil;
        if (quiet)
            until(quietUntil);
        until(unplugAt);
        until(replugAt);
        // While quiet the master is left out entirely: a hang-up is reported even
        // to a descriptor that asks for nothing.
        const int master = plug.Master; // -1 while unplugged: poll leaves it out
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {quiet ? -1 : master, POLLIN, 0}};
        const int timeoutMs = waitUs < 0 ? -1 : static_cast<int>((waitUs + 999) / 1000);
        if (poll(fds, 2, timeoutMs) < 0 && errno != EINTR)
            Fail(QString("poll: %1").arg(std::strerror(errno)));
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (read(signalFd, &info, sizeof info) != sizeof info)
                continue;
            if (info.ssi_signo == SIGUSR1)
                pull();
            else if (info.ssi_signo == SIGUSR2)
                plugBack();
            else
                break;
            continue;
        }
        if (unplugAt >= 0 && NowUs() >= unplugAt) {
            pull();
            continue;
        }
        if (replugAt >= 0 && NowUs() >= replugAt) {
            plugBack();
            continue;
        }
        if (!plug.In())
            continue;
        if (fds[1].revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0) {
                if (fast)
                    line.SetBaud(0);
                else if (baud > 0)
                    line.SetBaud(baud);
                else
                    line.SetBaud(tcgetattr(plug.Slave, &tio) == 0 ? BaudOf(cfgetospeed(&tio)) : 19200);
                const QByteArray heard(buffer, n);
                if (heard.contains('#') && line.Answering(NowUs()))
                    ++collisions;
                line.Push(NowUs(), bus.Process(heard));
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                quietUntil = NowUs() + 100'000;
            }
        } else if (fds[1].revents & (POLLHUP | POLLERR)) {
            // Should our own slave descriptor ever stop counting, look again
            // a little later instead of spinning on the hang-up.
            quietUntil = NowUs() + 100'000;
        }
        const QByteArray due = line.TakeDue(NowUs());
        if (!due.isEmpty())
            WriteAll(master, due);
    }
    if (p.isSet("print-port")) {
        std::printf("collisions %lld\n", collisions);
        std::fflush(stdout);
    }
    if (collisions > 0)
        std::fprintf(stderr, "zorvex-sim: %lld request(s) arrived while an answer was on the line\n", collisions);
    Unplug(plug);
    if (!stableName.isEmpty())
        rmdir(QFile::encodeName(QDir(dir).filePath(zorvex::ByIdFolder)).constData()); // only when empty
    std::fprintf(stderr, "zorvex-sim: stopped\n");
    return 0;
}
