#include "panels/PanelFactory.h"

namespace panels {

std::unique_ptr<TDevicePanel> CreatePanel(int kind, TPanelHost& host)
{
    (void)host;
    switch (kind) {
    default:
        return nullptr;
    }
}

} // namespace panels
