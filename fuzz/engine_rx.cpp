// Frame assembly of the exchange engine: arbitrary line text in arbitrary
// chunks, response timeouts between them.
#include "FuzzSupport.h"
#include "engine/ExchangeEngine.h"
#include "support/FakePort.h"
#include "support/ReferenceFrames.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QTimer>

namespace {

class TRecordingEngine final : public TExchangeEngine {
public:
    TRecordingEngine() { AttachLine(&Port, &Timer); }
    FakePort Port;
    QTimer Timer;
    QByteArrayList Frames;
    int Losses = 0;
    void Poll() { SendRequest("#1001T3C\r"); }

protected:
    void LogLine(const QByteArray&) override {}
    void UpdateCounters() override {}
    void DeliverFrame(const QByteArray& frame) override
    {
        Frames.append(frame);
        Poll();
    }
    void DeclareLinkLost() override
    {
        ++Losses;
        Poll();
    }
    void ReportError(const std::exception&) override { FUZZ_CHECK(false); }
};

TRecordingEngine* Engine = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    InitFuzzCoreApplication();
    Engine = new TRecordingEngine;
    Engine->Port.OnRxChar = [](QObject*, int count) { Engine->ReceiveChars(count); };
    PollActive = true;
    DeviceNumber = "001";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    TRecordingEngine& e = *Engine;
    e.ResetRun();
    e.FRxBuffer.clear();
    e.FFrameStarted = false;
    e.FRetryCount = e.FResponseCount = 0;
    e.Frames.clear();
    e.Port.Input.clear();
    e.Port.Written.clear();
    e.Timer.stop();
    e.Poll();

    QByteArray stream;
    while (in.remaining_bytes() > 0) {
        if (in.ConsumeIntegralInRange(0, 15) == 0) {
            e.ResponseTimeout();
            continue;
        }
        const std::string chunk = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(1, 300));
        const QByteArray bytes(chunk.data(), qsizetype(chunk.size()));
        stream += bytes;
        e.Port.Receive(bytes);
        FUZZ_CHECK(e.FRxBuffer.size() <= TExchangeEngine::RxBufferLimit);
        FUZZ_CHECK(e.Port.Input.isEmpty());
    }
    // Frames still waiting in the buffer come out one per further event.
    for (;;) {
        const qsizetype before = e.Frames.size();
        stream += 'x';
        e.Port.Receive("x");
        if (e.Frames.size() == before)
            break;
    }
    FUZZ_CHECK(e.FResponseCount == e.Frames.size());
    for (const QByteArray& frame : e.Frames)
        FUZZ_CHECK(frame.startsWith('~') && !frame.contains('\r') && frame.size() <= TExchangeEngine::RxBufferLimit);
    // Below the limit nothing is ever cut away, so the frames are exactly the stream's.
    if (stream.size() <= TExchangeEngine::RxBufferLimit)
        FUZZ_CHECK(e.Frames == ReferenceFrames(stream));
    // One request at most between two answers or timeouts: never a burst.
    FUZZ_CHECK(e.Port.Written.size() <= e.Frames.size() + 1 + e.FErrorCount);
    return 0;
}
