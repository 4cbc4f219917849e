#pragma once

#include "port/BCPort.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#ifndef ZORVEX_SIM_BINARY
#error "ZORVEX_SIM_BINARY must name the zorvex-sim executable"
#endif

// zorvex-sim serving its default devices on a virtual port published in a
// directory of the test's own, which the port list reads.
class SimTest : public ::testing::Test {
protected:
    void StartSim(const QStringList& extra = {})
    {
        ASSERT_TRUE(Dir.isValid());
        SavedDir = VirtualPortDirectory();
        SetVirtualPortDirectory(Dir.path());
        Sim.setProgram(QStringLiteral(ZORVEX_SIM_BINARY));
        Sim.setArguments(QStringList{"--dir", Dir.path(), "--print-port"} + extra);
        Sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Sim.start();
        ASSERT_TRUE(Sim.waitForStarted(10000));
        while (!Sim.canReadLine())
            ASSERT_TRUE(Sim.waitForReadyRead(10000)) << "the simulator published no port";
        PortName = QFileInfo(QString::fromLocal8Bit(Sim.readLine()).trimmed()).fileName();
    }
    void TearDown() override
    {
        if (Sim.state() != QProcess::NotRunning) {
            Sim.terminate();
            Sim.waitForFinished(10000);
        }
        if (!SavedDir.isNull())
            SetVirtualPortDirectory(SavedDir);
    }

    QTemporaryDir Dir;
    QString SavedDir;
    QProcess Sim;
    QString PortName;
};
