#pragma once

#include "sim/Device.h"
#include "sim/Random.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace sim {

// Shares (0..1) of answers that suffer each fault; drawn independently.
struct TFaultShares {
    double Drop = 0;    // no answer at all
    double Corrupt = 0; // wrong checksum
    double Split = 0;   // answer in several writes
    double Noise = 0;   // stray bytes before "~"
    double Late = 0;    // answer after the program's 300 ms
};

// What the line gives back, piece by piece: a pause, then bytes.
struct TPiece {
    QByteArray Bytes;
    int GapMs = 0;     // pause before this piece, on top of line timing
    bool Echo = false; // the adapter's echo rather than a device's answer
};

// One request and what became of it, for the simulator's log.
struct TExchange {
    QByteArray Request; // the line as received, without CR
    QByteArray Answer;  // as sent, noise and faults included; empty when none
    bool Dropped = false, Corrupted = false, Split = false, Noisy = false, Late = false;
};

struct TDeviceSpec {
    TModel Model;
    QByteArray Address;
};

// The simulated line: an adapter that echoes everything the program sends and
// devices that answer the requests addressed to them.
class TBus {
public:
    static constexpr int LateMs = 450;
    static constexpr int SplitGapMs = 3;

    explicit TBus(std::uint64_t seed = 1);

    template <class T> T& Add(const QByteArray& address)
    {
        auto device = std::make_unique<T>(address, NextSeed());
        T& ref = *device;
        FDevices.push_back(std::move(device));
        return ref;
    }
    TDevice& Add(TModel model, const QByteArray& address);
    const std::vector<std::unique_ptr<TDevice>>& Devices() const { return FDevices; }

    void SetFaults(const TFaultShares& shares) { FFaults = shares; }
    void SetLog(std::function<void(const TExchange&)> log) { FLog = std::move(log); }

    // Bytes written by the program, in any chunks; a request ends at CR.
    std::vector<TPiece> Process(const QByteArray& bytes);
    // The same, all pieces joined.
    QByteArray Feed(const QByteArray& bytes);

private:
    std::uint64_t NextSeed();
    void Serve(const QByteArray& line, std::vector<TPiece>& out);

    std::vector<std::unique_ptr<TDevice>> FDevices;
    TFaultShares FFaults;
    TRandom FRandom;
    std::uint64_t FSeed;
    QByteArray FLine;
    std::function<void(const TExchange&)> FLog;
};

// "SLT:001,1:002": model codes OV3, SLT, 1 (or OV4), TRV, each with a three-digit
// address. Returns false with a message on error.
bool ParseDevices(const QString& text, std::vector<TDeviceSpec>& devices, QString& error);
// One of each model at 001.
std::vector<TDeviceSpec> DefaultDevices();
QByteArray ModelCode(TModel model);

} // namespace sim
