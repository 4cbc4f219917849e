#pragma once

#include "port/BCPort.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

// The message of the EComPort that f raises; empty when it raises none.
template <typename F> QString ErrorOf(F f)
{
    try {
        f();
    } catch (const EComPort& e) {
        return e.Message();
    }
    return QString();
}

// A pseudo-terminal pair whose slave is published as "vtest0" in a
// temporary virtual port directory, so that Port accepts it by name.
class PtyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        int slave = -1;
        ASSERT_EQ(::openpty(&Master, &slave, nullptr, nullptr, nullptr), 0);
        SlavePath = QString::fromLocal8Bit(::ttyname(slave));
        ::close(slave);
        ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
        ASSERT_TRUE(Dir.isValid());
        SavedDir = VirtualPortDirectory();
        SetVirtualPortDirectory(Dir.path());
        ASSERT_EQ(::symlink(SlavePath.toLocal8Bit().constData(),
                            QDir(Dir.path()).filePath(QStringLiteral("vtest0")).toLocal8Bit().constData()),
                  0);
    }
    void TearDown() override
    {
        CloseMaster();
        SetVirtualPortDirectory(SavedDir);
    }
    void CloseMaster()
    {
        if (Master >= 0)
            ::close(Master);
        Master = -1;
    }
    // The adapter back on a new pseudo-terminal under the same name.
    void Replug()
    {
        CloseMaster();
        int slave = -1;
        ASSERT_EQ(::openpty(&Master, &slave, nullptr, nullptr, nullptr), 0);
        SlavePath = QString::fromLocal8Bit(::ttyname(slave));
        ::close(slave);
        ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
        const QByteArray link = QDir(Dir.path()).filePath(QStringLiteral("vtest0")).toLocal8Bit();
        ::unlink(link.constData());
        ASSERT_EQ(::symlink(SlavePath.toLocal8Bit().constData(), link.constData()), 0);
    }
    void Send(const QByteArray& data)
    {
        ASSERT_EQ(::write(Master, data.constData(), static_cast<size_t>(data.size())), data.size());
    }
    // What the port sent, waiting until count characters arrived.
    QByteArray Receive(int count)
    {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        while (got.size() < count && timer.elapsed() < 10000) {
            pollfd p{Master, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            char buf[256];
            const ssize_t n = ::read(Master, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
        }
        return got;
    }
    void OpenPort(TBComPort& port)
    {
        port.SetPort(QStringLiteral("vtest0"));
        port.Open();
        ASSERT_TRUE(port.Connected());
    }

    int Master = -1;
    QString SlavePath;
    QTemporaryDir Dir;
    QString SavedDir;
};
