#include "devices/DeviceKind.h"

namespace devices {

const std::array<TDeviceKindInfo, DeviceKindCount>& DeviceKinds()
{
    // The fourth model's panel has no reaction to "Стоп": its buttons stay usable.
    static const std::array<TDeviceKindInfo, DeviceKindCount> kinds = {{
        {TDeviceKind::Olvin3M, "Ольвин 3М", "#OV3", "OV3", true, true},
        {TDeviceKind::Selta, "Сельта", "#SLT", "SLT", true, true},
        {TDeviceKind::Olvin4, "Ольвин 4э", "#1", "1", true, true},
        {TDeviceKind::Torvis, "ТОРВИС", "#TRV", "TRV", false, true},
    }};
    return kinds;
}

TDeviceKind KindFromIndex(int index)
{
    return index >= 0 && index < DeviceKindCount ? static_cast<TDeviceKind>(index) : TDeviceKind::None;
}

std::optional<TDeviceKindInfo> KindInfo(TDeviceKind kind)
{
    const int index = KindIndex(kind);
    if (index < 0 || index >= DeviceKindCount)
        return std::nullopt;
    return DeviceKinds()[static_cast<std::size_t>(index)];
}

std::optional<TDeviceKind> KindFromCode(const QByteArray& code)
{
    for (const TDeviceKindInfo& info : DeviceKinds())
        if (code == info.Code)
            return info.Kind;
    return std::nullopt;
}

bool KindHasHook(TDeviceKind kind, THook hook)
{
    const auto info = KindInfo(kind);
    if (!info)
        return false;
    return hook == THook::StopPoll ? info->HasStopPoll : info->HasLinkLost;
}

QString KindListName(TDeviceKind kind)
{
    const auto info = KindInfo(kind);
    return info ? QString::fromUtf8(info->ListName) : QString();
}

QByteArray KindPrefix(TDeviceKind kind)
{
    const auto info = KindInfo(kind);
    return info ? QByteArray(info->Prefix) : QByteArray();
}

} // namespace devices
