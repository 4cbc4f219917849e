#include "panels/PanelFactory.h"

#include "panels/selta_panel.h"

namespace panels {

std::unique_ptr<TDevicePanel> CreatePanel(int kind, TPanelHost& host)
{
    switch (kind) {
    case 1:
        return std::make_unique<TSelta>(host);
    default:
        return nullptr;
    }
}

} // namespace panels
