// "Сельта" answers: the three decoders and the panel, on the frame as it came
// and with its checksum made right, in every display mode.
#include "FakeHost.h"
#include "FuzzSupport.h"
#include "PanelSnapshot.h"
#include "panels/selta_panel.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QRadioButton>

namespace {

FakeHost* Host = nullptr;
TSelta* Panel = nullptr;

bool InRange(int v) { return v >= 0 && v <= 999; }

void CheckDecoders(const QByteArray& frame)
{
    if (const auto s = selta::DecodeStatusFrame(frame)) {
        FUZZ_CHECK(frame.size() >= 23);
        for (const auto& c : s->Channel)
            FUZZ_CHECK(InRange(c.Limit) && InRange(c.Count));
    }
    if (const auto s = selta::DecodeSettingsFrame(frame)) {
        FUZZ_CHECK(frame.size() >= 28);
        for (const auto& c : s->Channel)
            FUZZ_CHECK(InRange(c.Limit) && InRange(c.Maximum) && InRange(c.Minimum));
    }
    if (const auto s = selta::DecodeStatisticsFrame(frame)) {
        FUZZ_CHECK(frame.size() >= 29);
        for (const auto& c : s->Channel)
            FUZZ_CHECK(InRange(c.Limit) && InRange(c.Maximum) && InRange(c.Minimum));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    InitFuzzApplication();
    StartGlobals("001");
    Host = new FakeHost;
    Panel = new TSelta(*Host);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int mode1 = in.ConsumeIntegralInRange(0, 3);
    const int mode2 = in.ConsumeIntegralInRange(0, 3);
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QByteArray raw(rest.data(), qsizetype(rest.size()));
    const QByteArray framed = raw + ChecksumHex(raw);
    CheckDecoders(raw);
    CheckDecoders(framed);

    Host->Sent.clear();
    Panel->StartPoll();
    QRadioButton* ch1[4] = {Panel->RadioButton1, Panel->RadioButton2, Panel->RadioButton3, Panel->RadioButton4};
    QRadioButton* ch2[4] = {Panel->RadioButton5, Panel->RadioButton6, Panel->RadioButton7, Panel->RadioButton8};
    ch1[mode1]->setChecked(true);
    ch2[mode2]->setChecked(true);
    const QStringList before = PanelSnapshot(*Panel);
    const QString status = Host->Status;
    Panel->HandleResponse(raw);
    if (!FrameChecksumOK(raw)) {
        FUZZ_CHECK(PanelSnapshot(*Panel) == before);
        FUZZ_CHECK(Host->Status == status);
    }
    Panel->HandleResponse(framed);
    FUZZ_CHECK(Host->Sent.size() == 3);
    return 0;
}
