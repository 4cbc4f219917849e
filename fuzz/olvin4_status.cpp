// "Ольвин 4э" answers: the decoder alone and the panel, on the frame as it
// came and with its checksum made right so the decoding runs.
#include "FakeHost.h"
#include "FuzzSupport.h"
#include "PanelSnapshot.h"
#include "panels/Olvin4.h"
#include "panels/Olvin4Status.h"
#include "devices/Cp1251.h"

#include <QLineEdit>

namespace {

FakeHost* Host = nullptr;
TOLVIN4* Panel = nullptr;

void CheckStatus(const QByteArray& frame, const olvin4::TStatus& status)
{
    for (int n = 0; n < olvin4::ChannelCount; ++n) {
        const olvin4::TChannelReading& channel = status.Channels[std::size_t(n)];
        const qsizetype at = 5 + qsizetype(n) * 4;
        if (at + 4 > frame.size() - 2) {
            FUZZ_CHECK(channel.Value.isEmpty() && channel.State.isEmpty());
            continue;
        }
        const QByteArray field = frame.mid(at, 4);
        FUZZ_CHECK(channel.Value == devices::FromCp1251(field.left(3) + '.' + field.mid(3)));
        FUZZ_CHECK(channel.State == olvin4::ChannelStateText(field));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    InitFuzzApplication();
    StartGlobals("001");
    Host = new FakeHost;
    Panel = new TOLVIN4(*Host);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray raw(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray framed = raw + ChecksumHex(raw);
    CheckStatus(raw, olvin4::DecodeStatus(raw));
    CheckStatus(framed, olvin4::DecodeStatus(framed));

    Host->Sent.clear();
    Panel->StartPoll();
    const QStringList before = PanelSnapshot(*Panel);
    Panel->HandleResponse(raw);
    if (!(FrameChecksumOK(raw) && raw.size() >= 5 && raw.at(4) == 'T'))
        FUZZ_CHECK(PanelSnapshot(*Panel) == before);
    Panel->HandleResponse(framed);
    if (framed.size() >= 5 && framed.at(4) == 'T') {
        const olvin4::TStatus status = olvin4::DecodeStatus(framed);
        const QLineEdit* values[6] = {Panel->Edit1, Panel->Edit2, Panel->Edit3,
                                      Panel->Edit4, Panel->Edit5, Panel->Edit6};
        for (std::size_t n = 0; n < 6; ++n)
            FUZZ_CHECK(values[n]->text() == status.Channels[n].Value);
    }
    // Every answer, good or bad, lets the next request go.
    FUZZ_CHECK(Host->Sent.size() == 3);
    return 0;
}
