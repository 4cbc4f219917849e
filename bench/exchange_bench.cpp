// Exchanges per second and time per exchange of the program's engine against
// zorvex-sim, beside a bare loop that writes a request and reads its answer
// with nothing else in the way. Run: scripts/bench.sh
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

#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct Result {
    int Exchanges = 0;
    double Seconds = 0;
    double PerSecond() const { return Exchanges / Seconds; }
    double MsPerExchange() const { return 1000.0 * Seconds / Exchanges; }
};

class Simulator {
public:
    Simulator(const QString& dir, const QStringList& extra)
    {
        FProcess.setProgram(QStringLiteral(ZORVEX_SIM_BINARY));
        FProcess.setArguments(QStringList{"--dir", dir, "--print-port"} + extra);
        FProcess.start();
        while (!FProcess.canReadLine() && FProcess.waitForReadyRead(10000)) {
        }
        Link = QString::fromLocal8Bit(FProcess.readLine()).trimmed();
    }
    ~Simulator()
    {
        FProcess.terminate();
        FProcess.waitForFinished(10000);
    }
    QString Link;

private:
    QProcess FProcess;
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
    ::close(fd);
    return r;
}

// The program's own path: main window, engine, port component, Сельта panel, log.
Result Program(const QString& link, int speedIndex, double seconds)
{
    TForm1 form;
    form.SetPanelFactory(&panels::CreatePanel);
    const int index = form.ComboBox1->findText(QFileInfo(link).fileName());
    form.ComboBox1->setCurrentIndex(index);
    form.ComboBox2->setCurrentIndex(speedIndex);
    form.OpenPort();
    form.ComboBox3->setCurrentIndex(1);
    form.MaskEdit1->SetText(QStringLiteral("001"));
    form.Button1->click();
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    Result r;
    r.Seconds = timer.elapsed() / 1000.0;
    r.Exchanges = form.FResponseCount;
    if (form.FErrorCount > 0)
        std::printf("  (program saw %d timeouts)\n", form.FErrorCount);
    form.Button1->click();
    return r;
}

void Report(const char* what, const Result& program, const Result& bare)
{
    std::printf("%s\n  program: %8.1f exchanges/s, %7.3f ms per exchange (%d in %.1f s)\n"
                "  bare:    %8.1f exchanges/s, %7.3f ms per exchange (%d in %.1f s)\n"
                "  program/bare: %.2f\n",
                what, program.PerSecond(), program.MsPerExchange(), program.Exchanges, program.Seconds,
                bare.PerSecond(), bare.MsPerExchange(), bare.Exchanges, bare.Seconds,
                program.PerSecond() / bare.PerSecond());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    QTemporaryDir dir;
    SetVirtualPortDirectory(dir.path());

    {
        Simulator sim(dir.path(), {"--fast"});
        const Result program = Program(sim.Link, 3, seconds);
        const Result bare = BareLoop(sim.Link, B19200, seconds);
        Report("Unpaced pseudo-terminal, Сельта status polling:", program, bare);
    }
    {
        Simulator sim(dir.path(), {"--baud", "19200"});
        const Result program = Program(sim.Link, 3, seconds);
        const Result bare = BareLoop(sim.Link, B19200, seconds);
        // Request 11 characters and answer 24, of 10 bits each; the echo comes
        // back while the request goes out, so it takes no line time of its own.
        const double bitsPerExchange = (11 + 24) * 10.0;
        Report("Simulator pacing at 19200 bit/s (8N1, 3 ms turnaround):", program, bare);
        std::printf("  line busy: program %.1f %%, bare %.1f %% of 19200 bit/s\n",
                    100.0 * program.PerSecond() * bitsPerExchange / 19200.0,
                    100.0 * bare.PerSecond() * bitsPerExchange / 19200.0);
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("Peak resident memory of the benchmark process: %.1f MiB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
