#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QWidget;

namespace ui {

// Lets a window repaint at most once per period. Whatever changed meanwhile is
// painted together at the period's end: a device answering thousands of times
// a second changes the panel that often, and an eye follows 25 pictures a
// second at best. A repaint after a quiet spell goes at once.
class TRepaintPacer final : public QObject {
public:
    TRepaintPacer(QWidget* window, int periodMs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RepaintNow();

    QWidget* FWindow;
    int FPeriodMs;
    QElapsedTimer FLastRepaint;
    QTimer FDeferred;
    bool FPassing = false;
};

} // namespace ui
