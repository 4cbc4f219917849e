#pragma once

#include "app/Unit1.h"
#include "panels/PanelFactory.h"
#include "ui/ComboBox.h"
#include "ui/MaskEdit.h"

#include <QComboBox>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>
#include <sys/resource.h>

#ifndef ZORVEX_SIM_BINARY
#error "ZORVEX_SIM_BINARY must name the zorvex-sim executable"
#endif

// zorvex-sim publishing its port in dir; Link is the published path.
class Simulator {
public:
    Simulator(const QString& dir, const QStringList& extra)
    {
        FProcess.setProgram(QStringLiteral(ZORVEX_SIM_BINARY));
        FProcess.setArguments(QStringList{"--dir", dir, "--print-port"} + extra);
        FProcess.setStandardErrorFile(QProcess::nullDevice());
        FProcess.start();
        while (!FProcess.canReadLine() && FProcess.waitForReadyRead(10000)) {
        }
        Link = QString::fromLocal8Bit(FProcess.readLine()).trimmed();
    }
    ~Simulator() { Stop(); }
    // Stops it; what it printed after its port, such as "collisions N".
    QByteArray Stop()
    {
        if (FProcess.state() == QProcess::NotRunning)
            return {};
        FProcess.terminate();
        if (!FProcess.waitForFinished(10000))
            FProcess.kill();
        return FProcess.readAllStandardOutput();
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    void Signal(int signal) const { ::kill(static_cast<pid_t>(FProcess.processId()), signal); }
    QString Link;

private:
    QProcess FProcess;
};

// User and system CPU of this process so far, in seconds.
inline double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Times a thread of this process slept and was woken again: on a machine
// where a wake-up costs more than the work it brings, these tell the cost.
inline long WakeUps()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

// The window with its real panels, the simulator's port open at the speed of
// list entry speedIndex, "Сельта" 001 chosen: the next "Старт" polls it.
inline void ReadyToPollSelta(TForm1& form, const QString& link, int speedIndex)
{
    form.SetPanelFactory(&panels::CreatePanel);
    form.ComboBox1->setCurrentIndex(form.ComboBox1->findText(QFileInfo(link).fileName()));
    form.ComboBox2->setCurrentIndex(speedIndex);
    form.OpenPort();
    form.ComboBox3->setCurrentIndex(devices::KindIndex(devices::TDeviceKind::Selta));
    form.MaskEdit1->SetText(QStringLiteral("001"));
}
