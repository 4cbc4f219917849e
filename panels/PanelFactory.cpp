#include "panels/PanelFactory.h"

#include "panels/Olvin4.h"
#include "panels/Olvin_3.h"
#include "panels/Torvis.h"
#include "panels/selta_panel.h"
#include "ui/EditFrames.h"

namespace panels {

namespace {

std::unique_ptr<TDevicePanel> Made(devices::TDeviceKind kind, TPanelHost& host)
{
    using devices::TDeviceKind;
    switch (kind) {
    case TDeviceKind::Olvin3M:
        return std::make_unique<TOlvin_3m>(host);
    case TDeviceKind::Selta:
        return std::make_unique<TSelta>(host);
    case TDeviceKind::Olvin4:
        return std::make_unique<TOLVIN4>(host);
    case TDeviceKind::Torvis:
        return std::make_unique<TTORVIS_form>(host);
    case TDeviceKind::None:
        break;
    }
    return nullptr;
}

} // namespace

std::unique_ptr<TDevicePanel> CreatePanel(devices::TDeviceKind kind, TPanelHost& host)
{
    std::unique_ptr<TDevicePanel> panel = Made(kind, host);
    // Its fields repaint with every answer.
    if (panel)
        ui::CopyEditFrames(panel.get());
    return panel;
}

} // namespace panels
