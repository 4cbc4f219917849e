// The unplug, 100 times: the simulator's adapter is pulled (or the simulator
// killed) at a random moment of polling, and the messages the program gives
// for it are counted: exactly one loss message each time, a box when polling
// is off, the status line and the log while it waits for the adapter. Also the
// program's CPU over such a wait. Run: scripts/bench.sh
#include "BenchSupport.h"
#include "app/PortReconnect.h"
#include "app/Unit1.h"
#include "panels/PanelFactory.h"
#include "port/BCPort.h"
#include "ui/ComboBox.h"
#include "ui/Dialogs.h"
#include "ui/LogView.h"
#include "ui/MaskEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>

#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <random>
#include <sys/resource.h>

namespace {

constexpr int Trials = 100;

enum TKind { Replugged, Killed, PulledAndStopped, NotPolling };
const char* const KindNames[] = {"pulled while polling, plugged in again", "simulator killed while polling (unpaced)",
                                 "pulled while polling, then Стоп", "pulled while the port is open, not polling"};

struct TTrial {
    int LossLines = 0; // in the log
    int LossBoxes = 0;
    int OtherBoxes = 0;
    bool Good() const { return LossLines + LossBoxes == 1 && OtherBoxes == 0; }
};

class Bench {
public:
    explicit Bench(const QString& dir) : FDir(dir)
    {
        ui::SetMessageSink([this](const QString& text, bool) { FBoxes << text; });
    }
    ~Bench() { ui::SetMessageSink({}); }

    TTrial Run(TKind kind, std::mt19937& random)
    {
        FBoxes.clear();
        Simulator sim(FDir,
                      kind == Killed ? QStringList{"--serial", "bench", "--fast"} : QStringList{"--serial", "bench"});
        TForm1 form;
        ReadyToPollSelta(form, sim.Link, 3);
        form.Button1->click();
        TTrial trial;
        if (!QTest::qWaitFor([&] { return form.FResponseCount > 0; }, 5000)) {
            std::fprintf(stderr, "  polling did not start\n");
            trial.OtherBoxes = 1000;
            return trial;
        }
        if (kind == NotPolling)
            form.Button1->click();
        // Anywhere in an exchange: writing, echo, answer, between two.
        QTest::qWait(static_cast<int>(random() % 60));
        sim.Signal(kind == Killed ? SIGKILL : SIGUSR1);
        auto* reconnect = form.findChild<TPortReconnect*>();
        if (!QTest::qWaitFor([&] { return reconnect->Waiting() || !FBoxes.isEmpty(); }, 5000))
            std::fprintf(stderr, "  the loss was not told\n");
        // A second message would come within a few timer periods.
        QTest::qWait(400);
        for (const QString& line : form.Memo1->toPlainText().split('\n'))
            trial.LossLines += line.contains(QStringLiteral("потеряна"));
        for (const QString& box : FBoxes)
            (box.contains(QStringLiteral("потеряна")) ? trial.LossBoxes : trial.OtherBoxes) += 1;
        if (kind == Replugged) {
            const int responses = form.FResponseCount;
            sim.Signal(SIGUSR2);
            if (!QTest::qWaitFor([&] { return form.FResponseCount > responses; }, 5000))
                trial.OtherBoxes += 1000; // not back: counts as a failure
        } else if (form.Button1->text() == QStringLiteral("Стоп")) {
            form.Button1->click();
        }
        if (!trial.Good())
            for (const QString& box : FBoxes)
                std::fprintf(stderr, "  box: %s\n", qPrintable(box));
        return trial;
    }

    // CPU of this process, a share of one core, over seconds of waiting for a pulled adapter.
    double WaitCpu(double seconds, double& cpuMs)
    {
        Simulator sim(FDir, {"--serial", "bench"});
        TForm1 form;
        ReadyToPollSelta(form, sim.Link, 3);
        form.Button1->click();
        if (!QTest::qWaitFor([&] { return form.FResponseCount > 0; }, 5000))
            return -1;
        sim.Signal(SIGUSR1);
        auto* reconnect = form.findChild<TPortReconnect*>();
        if (!QTest::qWaitFor([&] { return reconnect->Waiting(); }, 5000))
            return -1;
        const double before = CpuSeconds();
        QElapsedTimer timer;
        timer.start();
        // An event loop that sleeps until something happens, as the program's own does.
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
        loop.exec();
        const double used = CpuSeconds() - before;
        cpuMs = used * 1000.0;
        return used / (static_cast<double>(timer.elapsed()) / 1000.0);
    }

private:
    QString FDir;
    QStringList FBoxes;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double waitSeconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    QTemporaryDir dir;
    SetVirtualPortDirectory(dir.path());
    Bench bench(dir.path());

    std::mt19937 random(14);
    int good[4] = {};
    int runs[4] = {};
    for (int i = 0; i < Trials; ++i) {
        const auto kind = static_cast<TKind>(i % 4);
        const TTrial trial = bench.Run(kind, random);
        ++runs[kind];
        good[kind] += trial.Good();
        if (!trial.Good())
            std::printf("  trial %d (%s): %d loss lines in the log, %d loss boxes, %d other boxes\n", i + 1,
                        KindNames[kind], trial.LossLines, trial.LossBoxes, trial.OtherBoxes);
    }
    std::printf("Unplug, one loss message each time:\n");
    int total = 0;
    for (int k = 0; k < 4; ++k) {
        std::printf("  %s: %d/%d\n", KindNames[k], good[k], runs[k]);
        total += good[k];
    }
    std::printf("  all: %d/%d\n", total, Trials);
    double cpuMs = 0;
    const double share = bench.WaitCpu(waitSeconds, cpuMs);
    std::printf("CPU of the program while it waits for the adapter: %.3f %% of a core (%.1f ms in %.0f s)\n",
                100.0 * share, cpuMs, waitSeconds);
    return total == Trials ? 0 : 1;
}
