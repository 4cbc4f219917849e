#pragma once

#include "devices/DeviceKind.h"
#include "devices/Frame.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

// What a device panel may use of the main window.
class TPanelHost {
public:
    virtual ~TPanelHost() = default;
    // Only SendNext calls this.
    virtual void SendRequest(const QByteArray& request) = 0;
    virtual void LogLine(const QByteArray& text) = 0;
    // The main window's status line Edit1, where panels put acknowledgements.
    virtual void SetStatusLine(const QString& text) = 0;
    virtual QString StatusLine() const = 0;
    // Whether an entry of the main window's port list ComboBox1 is selected.
    virtual bool PortSelected() const = 0;
};

// The contract between the engine and a model's panel. The engine calls the
// hooks; the panel decides what goes out next through its three request fields.
class TDevicePanel : public QWidget {
    Q_OBJECT
public:
    TDevicePanel(devices::TDeviceKind kind, TPanelHost& host, QWidget* parent = nullptr);

    devices::TDeviceKind Kind() const { return FKind; }

    virtual void StartPoll() = 0;
    // Models without a stop or link-lost reaction keep these empty.
    virtual void StopPoll() {}
    // A frame whose checksum holds and that carries a letter goes to
    // HandleLetter; any other is ignored. Then SendNext, as after every answer;
    // but an answer to the status request only shows values, so the next
    // request goes first and they are shown while the device answers it.
    virtual void HandleResponse(const QByteArray& frame);
    virtual void LinkLost() {}
    // Sends the one-shot request if one waits, else the status request.
    virtual void SendNext();

    QByteArray FPollRequest;
    QByteArray FPendingRequest;
    QByteArray FCurrentRequest;

protected:
    // What a valid answer means to the model, by its letter at position 5.
    virtual void HandleLetter(char letter, const QByteArray& frame) = 0;
    // SendNext, then HandleLetter of a status answer (devices::StatusLetter),
    // which may only show what the answer carries; shown also when the send fails.
    void SendNextThenShowStatus(const QByteArray& frame);

    // The end every StartPoll shares: a request stored while polling was
    // stopped is dropped, the status request built and the first one sent.
    void BeginPolling();
    // prefix + DeviceNumber + command, framed.
    QByteArray Request(const QByteArray& command) const;
    // Stores the checked request, or beeps and shows why there is none.
    bool Queue(const devices::TChecked& checked);
    // The buttons that "Старт" enables and "Стоп" disables.
    void SetCommandsEnabled(bool enabled);
    QList<QWidget*> FCommandButtons;

    TPanelHost& FHost;

private:
    devices::TDeviceKind FKind;
};

// Builds the panel of a model; nullptr where none exists.
using TPanelFactory = std::function<std::unique_ptr<TDevicePanel>(devices::TDeviceKind kind, TPanelHost& host)>;
