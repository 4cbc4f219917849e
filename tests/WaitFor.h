#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

// Spins the owner's event loop until cond holds; the deadline only guards
// against a hang, it is no measure of speed.
template <typename Cond> bool WaitFor(Cond cond, int ms = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::yieldCurrentThread();
    }
    return true;
}
