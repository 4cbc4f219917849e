#include "panels/PanelFactory.h"

#include "panels/Olvin4.h"
#include "panels/selta_panel.h"

namespace panels {

std::unique_ptr<TDevicePanel> CreatePanel(int kind, TPanelHost& host)
{
    switch (kind) {
    case 1:
        return std::make_unique<TSelta>(host);
    case 2:
        return std::make_unique<TOLVIN4>(host);
    default:
        return nullptr;
    }
}

} // namespace panels
