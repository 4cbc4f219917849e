#pragma once

#include "app/DevicePanel.h"

#include <memory>

namespace panels {

// The panel of a model; nullptr for a model whose panel is not built yet.
std::unique_ptr<TDevicePanel> CreatePanel(devices::TDeviceKind kind, TPanelHost& host);

} // namespace panels
