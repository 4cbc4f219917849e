#include "app/DevicePanel.h"

#include "app/Frames.h"
#include "ui/Dialogs.h"

TDevicePanel::TDevicePanel(devices::TDeviceKind kind, TPanelHost& host, QWidget* parent)
    : QWidget(parent), FHost(host), FKind(kind)
{
}

void TDevicePanel::HandleResponse(const QByteArray& frame)
{
    const auto letter = devices::CheckedLetter(frame);
    if (letter == devices::StatusLetter) {
        SendNextThenShowStatus(frame);
        return;
    }
    if (letter)
        HandleLetter(*letter, frame);
    SendNext();
}

void TDevicePanel::SendNextThenShowStatus(const QByteArray& frame)
{
    try {
        SendNext();
    } catch (...) {
        // The values are the device's all the same; the error goes on to its box.
        HandleLetter(devices::StatusLetter, frame);
        throw;
    }
    HandleLetter(devices::StatusLetter, frame);
}

void TDevicePanel::SendNext()
{
    if (!PollActive)
        return;
    const QByteArray next = FPendingRequest.isEmpty() ? FPollRequest : FPendingRequest;
    // A panel that never polled has no status request to fall back on.
    if (next.isEmpty())
        return;
    FCurrentRequest = next;
    FPendingRequest.clear();
    FHost.SendRequest(FCurrentRequest);
}

void TDevicePanel::BeginPolling()
{
    FPendingRequest.clear();
    FPollRequest = Request(QByteArray(1, devices::StatusLetter));
    SendNext();
}

QByteArray TDevicePanel::Request(const QByteArray& command) const
{
    return devices::Request(FKind, DeviceNumber, command);
}

bool TDevicePanel::Queue(const devices::TChecked& checked)
{
    if (!checked.Accepted()) {
        ui::ShowError(checked.Message);
        return false;
    }
    FPendingRequest = checked.Frame;
    return true;
}

void TDevicePanel::SetCommandsEnabled(bool enabled)
{
    for (QWidget* button : FCommandButtons)
        button->setEnabled(enabled);
}
