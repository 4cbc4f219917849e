#pragma once

#include <QByteArray>
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
    explicit TDevicePanel(TPanelHost& host, QWidget* parent = nullptr);

    virtual void StartPoll() = 0;
    // Models without a stop or link-lost reaction keep these empty.
    virtual void StopPoll() {}
    virtual void HandleResponse(const QByteArray& frame) = 0;
    virtual void LinkLost() {}
    // Sends the one-shot request if one waits, else the status request.
    virtual void SendNext();

    QByteArray FPollRequest;
    QByteArray FPendingRequest;
    QByteArray FCurrentRequest;

protected:
    TPanelHost& FHost;
};

// Builds the panel of a model index (0..3); nullptr where none exists.
using TPanelFactory = std::function<std::unique_ptr<TDevicePanel>(int kind, TPanelHost& host)>;
