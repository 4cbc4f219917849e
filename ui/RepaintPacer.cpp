#include "ui/RepaintPacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace ui {

TRepaintPacer::TRepaintPacer(QWidget* window, int periodMs) : QObject(window), FWindow(window), FPeriodMs(periodMs)
{
    FDeferred.setSingleShot(true);
    connect(&FDeferred, &QTimer::timeout, this, [this] { RepaintNow(); });
    window->installEventFilter(this);
}

bool TRepaintPacer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FWindow || event->type() != QEvent::UpdateRequest || FPassing)
        return false;
    const qint64 since = FLastRepaint.isValid() ? FLastRepaint.elapsed() : FPeriodMs;
    if (since >= FPeriodMs) {
        FLastRepaint.start();
        return false;
    }
    // Held back: the window asks for no other repaint until this one is done,
    // and what else changes meanwhile joins it.
    if (!FDeferred.isActive())
        FDeferred.start(static_cast<int>(FPeriodMs - since));
    return true;
}

void TRepaintPacer::RepaintNow()
{
    FLastRepaint.start();
    FPassing = true;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(FWindow, &request);
    FPassing = false;
}

} // namespace ui
