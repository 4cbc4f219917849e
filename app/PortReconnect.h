#pragma once

#include "port/EnumComPorts.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QComboBox;
class QTimer;
class TForm1;
class TPortWatcher;

// The main window's part for real adapters: it remembers the identity of the
// port that opens, tells it in the log, and when the adapter vanishes while
// polling runs it waits for the same adapter (by-id link, else the same name)
// and opens it again with the line settings the port still holds, so polling
// goes on by itself. It waits on the kernel's notifications, never polls.
class TPortReconnect final : public QObject {
    Q_OBJECT
public:
    explicit TPortReconnect(TForm1& form);
    ~TPortReconnect() override;

    // The port has just been opened: one line of its identity in the log.
    void PortOpened();
    // The open port's device vanished and the port has been closed. While
    // polling runs the wait begins (status line and log say so) and true is
    // returned; otherwise nothing happens and the window tells the loss itself.
    bool DeviceLost();
    // Ends a wait ("Стоп", another port or model); true if one was under way.
    // Unless keepChoice, the port list is read again without the lost port chosen.
    bool Cancel(bool keepChoice = false);
    bool Waiting() const { return FWaiting; }
    const TPortIdentity& Identity() const { return FIdentity; }

private:
    void Look();
    void Reopened(const QString& name);

    TForm1& FForm;
    TPortIdentity FIdentity;
    TPortWatcher* FWatcher;
    QTimer* FRetry;
    QElapsedTimer FGone;
    QString FLastFailure;
    bool FWaiting = false;
};

// The tool tip of each entry of a port list: the identity of its adapter.
void SetPortToolTips(QComboBox& list, const QList<TPortIdentity>& ports);
