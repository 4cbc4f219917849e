// Exchanges per second and CPU time per exchange of the program (main window,
// engine, port component, Сельта panel, log) against zorvex-sim, beside a bare
// loop that writes a request and reads its answer with nothing else in the way,
// paced at 4800 and 19200 bit/s and unpaced, with the window shown (offscreen)
// and hidden; beside them zorvex-cli polling the same simulator.
// Run: scripts/bench.sh [seconds] [runs]
#include "BenchSupport.h"
#include "app/Frames.h"
#include "app/Unit1.h"
#include "panels/PanelFactory.h"
#include "port/BCPort.h"
#include "ui/ComboBox.h"
#include "ui/MaskEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

struct Result {
    int Exchanges = 0;
    double Seconds = 0;
    double CpuSeconds = 0; // user + system of this process
    long WakeUps = 0;
    double PerSecond() const { return Exchanges / Seconds; }
    double WakeUpsPerExchange() const { return Exchanges ? static_cast<double>(WakeUps) / Exchanges : 0; }
    double CpuUsPerExchange() const { return Exchanges ? 1e6 * CpuSeconds / Exchanges : 0; }
    double CorePercent() const { return 100.0 * CpuSeconds / Seconds; }
};

// The same exchange with nothing but write, poll and read.
Result BareLoop(const QString& link, speed_t speed, double seconds)
{
    const int fd = ::open(link.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios t{};
    cfmakeraw(&t);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    t.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd, TCSANOW, &t);
    // An answer to the program's last request may still be on its way.
    QThread::msleep(200);
    ::tcflush(fd, TCIFLUSH);
    const QByteArray request = MakeFrame("#SLT001T");
    Result r;
    const double cpu = CpuSeconds();
    const long wakeUps = WakeUps();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < seconds * 1000) {
        if (::write(fd, request.constData(), request.size()) != request.size())
            break;
        int crs = 0;
        while (crs < 2) { // the echo's CR, then the answer's
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0)
                break;
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            for (ssize_t i = 0; i < n; ++i)
                crs += buf[i] == '\r';
        }
        ++r.Exchanges;
    }
    r.Seconds = timer.elapsed() / 1000.0;
    r.CpuSeconds = CpuSeconds() - cpu;
    r.WakeUps = WakeUps() - wakeUps;
    ::close(fd);
    return r;
}

// Runs the event loop until done() or for at most ms. Given a time limit,
// processEvents does not wait for events but spins, and a spinning loop would
// take the core the program and the simulator share: a tick wakes it instead.
template <typename Done> void RunEventsUntil(Done done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    QTimer tick;
    tick.start(50);
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// One spell of polling by the program's own path (main window, engine, port
// component, Сельта panel, log) on a form whose port is open. With warmUp it
// first polls until the log holds all the lines it keeps (two an exchange), so
// that what is measured is polling that goes on and not its first seconds, in
// which the log and its scroll range still grow.
Result Poll(TForm1& form, double seconds, bool warmUp)
{
    form.Button1->click();
    if (warmUp)
        RunEventsUntil([&] { return form.FResponseCount > TForm1::MemoLines / 2; }, 60000);
    const double cpu = CpuSeconds();
    const long wakeUps = WakeUps();
    const int before = form.FResponseCount;
    const int errorsBefore = form.FErrorCount;
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    Result r;
    r.Seconds = timer.elapsed() / 1000.0;
    r.CpuSeconds = CpuSeconds() - cpu;
    r.WakeUps = WakeUps() - wakeUps;
    r.Exchanges = form.FResponseCount - before;
    if (form.FErrorCount > errorsBefore)
        std::printf("  (program saw %d timeouts)\n", form.FErrorCount - errorsBefore);
    form.Button1->click();
    return r;
}

Result& operator+=(Result& sum, const Result& part)
{
    sum.Exchanges += part.Exchanges;
    sum.Seconds += part.Seconds;
    sum.CpuSeconds += part.CpuSeconds;
    sum.WakeUps += part.WakeUps;
    return sum;
}

struct Pair {
    Result Program;
    Result Bare;
};

// The program and the bare loop in turns of seconds / turns each, so that a
// machine whose speed drifts (a host shared with others) slows both alike;
// with one turn, the program and then the bare loop.
Pair Alternating(const QString& link, int speedIndex, speed_t speed, double seconds, bool shown, bool warmUp, int turns)
{
    TForm1 form;
    if (shown)
        form.show();
    ReadyToPollSelta(form, link, speedIndex);
    QCoreApplication::processEvents();
    Pair pair;
    for (int turn = 0; turn < turns; ++turn) {
        if (turn > 0)
            form.OpenPort();
        pair.Program += Poll(form, seconds / turns, warmUp);
        // The bare loop needs the port to itself.
        form.BComPort1->Close();
        pair.Bare += BareLoop(link, speed, seconds / turns);
    }
    return pair;
}

double ChildrenCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// zorvex-cli polling the same device: one line per answer on its stdout, its
// CPU from its rusage once it has been reaped (the simulator is still running).
Result CommandLine(const QString& link, int speedIndex, double seconds)
{
    static constexpr const char* bauds[] = {"2400", "4800", "9600", "19200"};
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double cpu = ChildrenCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    cli.start(QStringLiteral(ZORVEX_CLI_BINARY),
              {"poll", "--port", link, "--baud", bauds[speedIndex], "--model", "SLT", "--address", "001"});
    qint64 lines = 0;
    while (timer.elapsed() < seconds * 1000) {
        cli.waitForReadyRead(100);
        lines += cli.readAllStandardOutput().count('\n');
    }
    Result r;
    r.Seconds = timer.elapsed() / 1000.0;
    cli.terminate();
    cli.waitForFinished(10000);
    r.Exchanges = static_cast<int>(lines);
    r.CpuSeconds = ChildrenCpuSeconds() - cpu;
    return r;
}

struct Case {
    const char* Name;
    QStringList SimArgs;
    int SpeedIndex; // of the window's speed list
    speed_t Speed;
    bool Shown;
    // Unpaced, where what counts is the rate beside the bare loop's, the two
    // take turns; paced, a turn would begin with a warm-up of its own.
    int Turns = 1;
    // The program, its threads and the simulator on one CPU: no wake-up has
    // to reach another CPU, whose cost on a shared virtual machine swings
    // from run to run; the same work, measured with far less of that swing.
    bool OneCpu = false;
};

// Keeps this thread, and the threads and processes it starts meanwhile, on
// one CPU; the mask it had comes back at the end.
class OneCpuSpell {
public:
    explicit OneCpuSpell(bool wanted)
    {
        if (!wanted || ::sched_getaffinity(0, sizeof FSaved, &FSaved) != 0)
            return;
        cpu_set_t one;
        CPU_ZERO(&one);
        for (int cpu = CPU_SETSIZE - 1; cpu >= 0; --cpu)
            if (CPU_ISSET(cpu, &FSaved)) {
                CPU_SET(cpu, &one);
                break;
            }
        FPinned = ::sched_setaffinity(0, sizeof one, &one) == 0;
    }
    ~OneCpuSpell()
    {
        if (FPinned)
            ::sched_setaffinity(0, sizeof FSaved, &FSaved);
    }
    OneCpuSpell(const OneCpuSpell&) = delete;
    OneCpuSpell& operator=(const OneCpuSpell&) = delete;

private:
    cpu_set_t FSaved{};
    bool FPinned = false;
};

// min / median / max of one figure over the runs.
QString Spread(std::vector<double> values, int precision)
{
    std::sort(values.begin(), values.end());
    return QStringLiteral("%1 / %2 / %3")
        .arg(values.front(), 0, 'f', precision)
        .arg(values[values.size() / 2], 0, 'f', precision)
        .arg(values.back(), 0, 'f', precision);
}

void RunCase(const Case& c, const QString& dir, double seconds, int runs, bool warmUp)
{
    std::vector<double> rate, cpu, core, wakeUps, bareRate, bareCpu, bareWakeUps, share, cliRate, cliCpu, cliShare;
    for (int run = 0; run < runs; ++run) {
        const OneCpuSpell spell(c.OneCpu);
        Simulator sim(dir, c.SimArgs);
        const auto [program, bare] = Alternating(sim.Link, c.SpeedIndex, c.Speed, seconds, c.Shown, warmUp, c.Turns);
        rate.push_back(program.PerSecond());
        cpu.push_back(program.CpuUsPerExchange());
        core.push_back(program.CorePercent());
        wakeUps.push_back(program.WakeUpsPerExchange());
        bareWakeUps.push_back(bare.WakeUpsPerExchange());
        bareRate.push_back(bare.PerSecond());
        bareCpu.push_back(bare.CpuUsPerExchange());
        share.push_back(program.PerSecond() / bare.PerSecond());
        // The window's visibility means nothing to the command line: measured
        // once per pace, and on one CPU as the program is there.
        if (!c.Shown) {
            const Result line = CommandLine(sim.Link, c.SpeedIndex, seconds);
            cliRate.push_back(line.PerSecond());
            cliCpu.push_back(line.CpuUsPerExchange());
            cliShare.push_back(line.PerSecond() / bare.PerSecond());
        }
    }
    std::printf("%s (min / median / max of %d runs of %.0f s%s)\n"
                "  program: %s exchanges/s, %s us CPU per exchange, %s %% of a core, %s wake-ups per exchange\n"
                "  bare:    %s exchanges/s, %s us CPU per exchange, %s wake-ups per exchange\n"
                "  program/bare exchanges: %s\n",
                c.Name, runs, seconds,
                c.Turns > 1 ? qPrintable(QStringLiteral(", program and bare loop in %1 turns each").arg(c.Turns)) : "",
                qPrintable(Spread(rate, 1)), qPrintable(Spread(cpu, 0)), qPrintable(Spread(core, 2)),
                qPrintable(Spread(wakeUps, 2)), qPrintable(Spread(bareRate, 1)), qPrintable(Spread(bareCpu, 0)),
                qPrintable(Spread(bareWakeUps, 2)), qPrintable(Spread(share, 2)));
    if (!cliRate.empty())
        std::printf("  zorvex-cli poll: %s exchanges/s, %s us CPU per exchange\n"
                    "  zorvex-cli/bare exchanges: %s\n",
                    qPrintable(Spread(cliRate, 1)), qPrintable(Spread(cliCpu, 0)), qPrintable(Spread(cliShare, 2)));
    std::fflush(stdout);
}

// Late answers at 19200 bit/s: the rate against one outstanding request's
// limit (the bare loop on a line without faults), and the requests that met
// an answer still on the line, as the simulator counts them.
void RunLateAnswers(const QString& dir, double seconds, int runs)
{
    std::vector<double> rate, limit, collisions, timeouts;
    for (int run = 0; run < runs; ++run) {
        double bareRate = 0;
        {
            Simulator clean(dir, {"--baud", "19200"});
            bareRate = BareLoop(clean.Link, B19200, seconds).PerSecond();
        }
        Simulator sim(dir, {"--baud", "19200", "--late", "0.1"});
        TForm1 form;
        ReadyToPollSelta(form, sim.Link, 3);
        form.Button1->click();
        QElapsedTimer timer;
        timer.start();
        RunEventsUntil([] { return false; }, static_cast<int>(seconds * 1000));
        rate.push_back(form.FResponseCount / (timer.elapsed() / 1000.0));
        timeouts.push_back(form.FErrorCount);
        form.Button1->click();
        const QByteArray said = sim.Stop();
        const qsizetype at = said.lastIndexOf("collisions ");
        collisions.push_back(at < 0 ? -1 : said.mid(at + 11).trimmed().toDouble());
        limit.push_back(bareRate);
    }
    std::printf("Late answers (--late 0.1) at 19200 bit/s, window hidden (min / median / max of %d runs of %.0f s)\n"
                "  program: %s exchanges/s, %s timeouts; one outstanding request allows %s exchanges/s\n"
                "  requests sent while the device was answering (collisions): %s\n",
                runs, seconds, qPrintable(Spread(rate, 1)), qPrintable(Spread(timeouts, 0)),
                qPrintable(Spread(limit, 1)), qPrintable(Spread(collisions, 0)));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    QTemporaryDir dir;
    SetVirtualPortDirectory(dir.path());

    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const Case cases[] = {
        {"Paced at 4800 bit/s, window shown", {"--baud", "4800"}, 1, B4800, true},
        {"Paced at 4800 bit/s, window hidden", {"--baud", "4800"}, 1, B4800, false},
        {"Paced at 4800 bit/s, window shown, all on one CPU", {"--baud", "4800"}, 1, B4800, true, 1, true},
        {"Paced at 4800 bit/s, window hidden, all on one CPU", {"--baud", "4800"}, 1, B4800, false, 1, true},
        {"Paced at 19200 bit/s, window shown", {"--baud", "19200"}, 3, B19200, true},
        {"Paced at 19200 bit/s, window hidden", {"--baud", "19200"}, 3, B19200, false},
        {"Unpaced pseudo-terminal, window shown", {"--fast"}, 3, B19200, true, 6},
        {"Unpaced pseudo-terminal, window hidden", {"--fast"}, 3, B19200, false, 6},
    };
    // A third argument picks the cases whose name contains it; ZORVEX_BENCH_COLD=1
    // measures from the start of polling, without the warm-up.
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    const bool warmUp = qEnvironmentVariableIntValue("ZORVEX_BENCH_COLD") != 1;
    std::printf("%s\n", warmUp ? "Measured after a warm-up that fills the log (ZORVEX_BENCH_COLD=1: from the start)"
                               : "Measured from the start of polling");
    for (const Case& c : cases)
        if (QString::fromUtf8(c.Name).contains(only))
            RunCase(c, dir.path(), seconds, runs, warmUp);
    if (QStringLiteral("Late answers").contains(only))
        RunLateAnswers(dir.path(), seconds, runs);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("Peak resident memory of the benchmark process: %.1f MiB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
