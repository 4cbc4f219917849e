#include "app/DevicePanel.h"

#include "app/Frames.h"

TDevicePanel::TDevicePanel(TPanelHost& host, QWidget* parent) : QWidget(parent), FHost(host) {}

void TDevicePanel::SendNext()
{
    if (!PollActive)
        return;
    FCurrentRequest = FPendingRequest.isEmpty() ? FPollRequest : FPendingRequest;
    FPendingRequest.clear();
    FHost.SendRequest(FCurrentRequest);
}
