#pragma once

#include "devices/DeviceKind.h"
#include "sim/Random.h"

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace sim {

using TModel = devices::TDeviceKind;

// One device on the simulated line. A request reaches it as its body: the line
// without checksum and CR, prefix and address included. The answer is a whole
// frame: "~", the device's address, the letter, the payload, checksum and CR.
class TDevice {
public:
    TDevice(TModel model, QByteArray prefix, QByteArray address, std::uint64_t seed);
    virtual ~TDevice() = default;
    TDevice(const TDevice&) = delete;
    TDevice& operator=(const TDevice&) = delete;

    TModel Model() const { return FModel; }
    const QByteArray& Prefix() const { return FPrefix; }
    const QByteArray& Address() const { return FAddress; }

    // Live values move a little with every status request while this is on.
    // Tests switch it off to pin the state they set.
    void SetLive(bool on) { FLive = on; }
    bool Live() const { return FLive; }

    // Is the request meant for this device (prefix and address)?
    virtual bool Accepts(const QByteArray& body) const;
    // The answer frame, or nothing for a request the device does not take.
    virtual std::optional<QByteArray> Respond(const QByteArray& body);

protected:
    // command: the body after prefix and address. Returns letter + payload.
    virtual std::optional<QByteArray> Handle(const QByteArray& command) = 0;
    // One step of the live values.
    virtual void Step() = 0;
    void StepIfLive()
    {
        if (FLive)
            Step();
    }
    QByteArray Reply(const QByteArray& letterAndPayload) const;

    TRandom FRandom;

private:
    TModel FModel;
    QByteArray FPrefix;
    QByteArray FAddress;
    bool FLive = true;
};

// value as exactly width decimal digits, held within what they can show.
QByteArray Digits(long long value, int width);
bool AllDigits(const QByteArray& text);
// A small step of a random walk: -step..step, drawn towards target.
int Drift(TRandom& random, int value, int target, int step);

} // namespace sim
