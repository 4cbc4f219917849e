#include "sim/Device.h"

#include "devices/Frame.h"

#include <algorithm>
#include <utility>

namespace sim {

TDevice::TDevice(TModel model, QByteArray prefix, QByteArray address, std::uint64_t seed)
    : FRandom(seed), FModel(model), FPrefix(std::move(prefix)), FAddress(std::move(address))
{
}

bool TDevice::Accepts(const QByteArray& body) const
{
    return body.size() > FPrefix.size() + FAddress.size() && body.startsWith(FPrefix) &&
           body.mid(FPrefix.size(), FAddress.size()) == FAddress;
}

std::optional<QByteArray> TDevice::Respond(const QByteArray& body)
{
    if (!Accepts(body))
        return std::nullopt;
    const auto answer = Handle(body.mid(FPrefix.size() + FAddress.size()));
    if (!answer)
        return std::nullopt;
    return Reply(*answer);
}

QByteArray TDevice::Reply(const QByteArray& letterAndPayload) const
{
    return devices::MakeFrame('~' + FAddress + letterAndPayload);
}

QByteArray Digits(long long value, int width)
{
    long long limit = 1;
    for (int i = 0; i < width; ++i)
        limit *= 10;
    value = std::clamp(value, 0LL, limit - 1);
    return QByteArray::number(value).rightJustified(width, '0');
}

bool AllDigits(const QByteArray& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Drift(TRandom& random, int value, int target, int step)
{
    int delta = random.Between(-step, step);
    // A gentle pull keeps a walk near its working point for hours of polling.
    if (value < target && random.Chance(0.3))
        ++delta;
    else if (value > target && random.Chance(0.3))
        --delta;
    return value + delta;
}

} // namespace sim
