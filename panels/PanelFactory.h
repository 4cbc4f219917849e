#pragma once

#include "app/DevicePanel.h"

#include <memory>

namespace panels {

// The panel of a device list index: 0 "Ольвин 3М", 1 "Сельта", 2 "Ольвин 4э",
// 3 "ТОРВИС". nullptr for a model whose panel is not built yet.
std::unique_ptr<TDevicePanel> CreatePanel(int kind, TPanelHost& host);

} // namespace panels
