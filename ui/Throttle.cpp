#include "ui/Throttle.h"

#include <QMetaObject>

#include <utility>

namespace ui {

TThrottle::TThrottle(int periodMs, std::function<void()> action) : FPeriodMs(periodMs), FAction(std::move(action))
{
    FTimer.setSingleShot(true);
    QObject::connect(&FTimer, &QTimer::timeout, &FTimer, [this] { Run(); });
}

void TThrottle::Request()
{
    if (FPending)
        return;
    FPending = true;
    const qint64 wait = FLastRun.isValid() ? FPeriodMs - FLastRun.elapsed() : 0;
    if (wait > 0)
        FTimer.start(static_cast<int>(wait));
    else
        // A posted call, not a zero timer: posted events of normal priority
        // are handled before the window's repaint request.
        QMetaObject::invokeMethod(&FTimer, [this] { Run(); }, Qt::QueuedConnection);
}

void TThrottle::Cancel()
{
    FPending = false;
    FTimer.stop();
}

void TThrottle::Run()
{
    if (!FPending)
        return;
    Cancel();
    FLastRun.start();
    FAction();
}

} // namespace ui
