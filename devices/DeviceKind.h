#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace devices {

// The four models, numbered as the main window's device list orders them.
enum class TDeviceKind : int { None = -1, Olvin3M = 0, Selta = 1, Olvin4 = 2, Torvis = 3 };

inline constexpr int DeviceKindCount = 4;

// Hooks of the panel contract that not every model has.
enum class THook { StopPoll, LinkLost };

struct TDeviceKindInfo {
    TDeviceKind Kind;
    const char* ListName; // UTF-8, as the device list shows it
    const char* Prefix;   // what every request of the model begins with
    const char* Code;     // the model code in a request ("OV3", "SLT", "1", "TRV")
    bool HasStopPoll;
    bool HasLinkLost;
};

// One row per model, in list order.
const std::array<TDeviceKindInfo, DeviceKindCount>& DeviceKinds();

// The row of a kind; nothing for None or an index out of range.
std::optional<TDeviceKindInfo> KindInfo(TDeviceKind kind);
TDeviceKind KindFromIndex(int index);
inline int KindIndex(TDeviceKind kind) { return static_cast<int>(kind); }
// The kind whose request model code is code ("OV3", "SLT", "1", "TRV").
std::optional<TDeviceKind> KindFromCode(const QByteArray& code);

// Whether the main window calls the hook on a panel of this kind.
bool KindHasHook(TDeviceKind kind, THook hook);

QString KindListName(TDeviceKind kind);
QByteArray KindPrefix(TDeviceKind kind);

} // namespace devices
