// The receive path of the polling engine: arbitrary line text in arbitrary
// chunks, timeouts between them, each model's panel behind it.
#include "FakePort.h"
#include "FrameStream.h"
#include "FuzzSupport.h"
#include "app/Unit1.h"
#include "panels/PanelFactory.h"
#include "ui/ComboBox.h"
#include "ui/MaskEdit.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QComboBox>
#include <QPushButton>

namespace {

// One window per model index, built once: index 0 records, so the cut frames
// can be checked; 1 and 2 are the real panels; 3 has none.
struct Line {
    FakePort Port;
    TForm1* Form = nullptr;
};
Line Lines[4];

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    InitFuzzApplication();
    for (int kind = 0; kind < 4; ++kind) {
        TForm1* form = new TForm1(&Lines[kind].Port);
        form->SetPanelFactory([](int model, TPanelHost& host) -> std::unique_ptr<TDevicePanel> {
            if (model == 0)
                return std::make_unique<StreamPanel>(host);
            return panels::CreatePanel(model, host);
        });
        form->ComboBox1->addItem(QStringLiteral("ttyFAKE0"));
        form->ComboBox1->setCurrentIndex(0);
        form->ComboBox3->setCurrentIndex(kind);
        form->MaskEdit1->SetText(QStringLiteral("001"));
        Lines[kind].Form = form;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int kind = in.ConsumeIntegralInRange(0, 3);
    FakePort* const Port = &Lines[kind].Port;
    TForm1* const Form = Lines[kind].Form;
    Form->FRxBuffer.clear();
    Form->FFrameStarted = false;
    Form->FRetryCount = 0;
    Port->Input.clear();
    Port->Written.clear();
    Port->Rts.clear();
    if (auto* recorder = dynamic_cast<StreamPanel*>(Form->CurrentPanel()))
        recorder->Frames.clear();
    PollActive = false;
    Form->Button1->click();
    FUZZ_CHECK(PollActive);

    QByteArray stream;
    while (in.remaining_bytes() > 0) {
        if (in.ConsumeIntegralInRange(0, 15) == 0) {
            Form->Timer1Timer();
            continue;
        }
        const std::string chunk = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(1, 300));
        const QByteArray bytes(chunk.data(), qsizetype(chunk.size()));
        stream += bytes;
        Port->Receive(bytes);
        FUZZ_CHECK(Form->FRxBuffer.size() <= TForm1::RxBufferLimit);
        FUZZ_CHECK(Port->Input.isEmpty());
    }

    auto* panel = dynamic_cast<StreamPanel*>(Form->CurrentPanel());
    if (!panel)
        return 0;
    // Frames still waiting in the buffer come out one per further event.
    for (;;) {
        const qsizetype before = panel->Frames.size();
        stream += 'x';
        Port->Receive("x");
        if (panel->Frames.size() == before)
            break;
    }
    FUZZ_CHECK(Form->FResponseCount == panel->Frames.size());
    for (const QByteArray& frame : panel->Frames)
        FUZZ_CHECK(frame.startsWith('~') && !frame.contains('\r') && frame.size() <= TForm1::RxBufferLimit);
    // Below the limit nothing is ever cut away, so the frames are exactly the stream's.
    if (stream.size() <= TForm1::RxBufferLimit)
        FUZZ_CHECK(panel->Frames == ReferenceFrames(stream));
    return 0;
}
