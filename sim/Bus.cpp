#include "sim/Bus.h"

#include "devices/Frame.h"
#include "sim/Olvin3.h"
#include "sim/Olvin4.h"
#include "sim/Selta.h"
#include "sim/Torvis.h"

#include <QStringList>

#include <algorithm>

namespace sim {

namespace {

// Longer than any request; garbage without CR is not kept for ever.
constexpr qsizetype kMaxLine = 1024;

} // namespace

TBus::TBus(std::uint64_t seed) : FRandom(seed), FSeed(seed) {}

std::uint64_t TBus::NextSeed() { return FSeed * 1000003ULL + FDevices.size() + 1; }

TDevice& TBus::Add(TModel model, const QByteArray& address)
{
    switch (model) {
    case TModel::Olvin3M:
        return Add<TOlvin3>(address);
    case TModel::Selta:
        return Add<TSelta>(address);
    case TModel::Olvin4:
        return Add<TOlvin4>(address);
    case TModel::Torvis:
    case TModel::None:
        break;
    }
    return Add<TTorvis>(address);
}

std::vector<TPiece> TBus::Process(const QByteArray& bytes)
{
    std::vector<TPiece> out;
    if (bytes.isEmpty())
        return out;
    out.push_back({bytes, 0, true});
    for (const char c : bytes) {
        if (c != '\r') {
            if (FLine.size() >= kMaxLine)
                FLine.clear();
            FLine += c;
            continue;
        }
        const QByteArray line = FLine;
        FLine.clear();
        Serve(line, out);
    }
    return out;
}

QByteArray TBus::Feed(const QByteArray& bytes)
{
    QByteArray joined;
    for (const TPiece& piece : Process(bytes))
        joined += piece.Bytes;
    return joined;
}

void TBus::Serve(const QByteArray& line, std::vector<TPiece>& out)
{
    // Requests carry no "#" but their first; anything before the last one is line garbage.
    const qsizetype start = line.lastIndexOf('#');
    if (start < 0)
        return;
    const QByteArray request = line.mid(start);
    TExchange exchange;
    exchange.Request = request;
    std::optional<QByteArray> answer;
    // A frame spoiled on the way is heard by no device.
    if (devices::FrameChecksumOK(request)) {
        const QByteArray body = request.chopped(2);
        // Only one device takes a request, as one would on a healthy line.
        const auto it = std::find_if(FDevices.begin(), FDevices.end(), [&](const auto& d) { return d->Accepts(body); });
        if (it != FDevices.end())
            answer = (*it)->Respond(body);
    }
    if (!answer) {
        if (FLog)
            FLog(exchange);
        return;
    }
    QByteArray bytes = *answer;
    if (FRandom.Chance(FFaults.Drop)) {
        exchange.Dropped = true;
        if (FLog)
            FLog(exchange);
        return;
    }
    if (FRandom.Chance(FFaults.Corrupt)) {
        // Any other checksum than the right one, still two upper-case digits.
        const int right = bytes.mid(bytes.size() - 3, 2).toInt(nullptr, 16);
        const int wrong = (right + FRandom.Between(1, 255)) % 256;
        bytes.replace(bytes.size() - 3, 2, QByteArray::number(wrong, 16).toUpper().rightJustified(2, '0'));
        exchange.Corrupted = true;
    }
    if (FRandom.Chance(FFaults.Noise)) {
        QByteArray noise;
        const int count = FRandom.Between(1, 4);
        while (noise.size() < count) {
            // Nothing the receiver could take for a frame's start or end.
            const char c = static_cast<char>(FRandom.Between(1, 255));
            if (c != '~' && c != '#' && c != '\r' && c != '\n')
                noise += c;
        }
        bytes.prepend(noise);
        exchange.Noisy = true;
    }
    const int gap = FRandom.Chance(FFaults.Late) ? LateMs : 0;
    exchange.Late = gap > 0;
    std::vector<qsizetype> cuts;
    if (FRandom.Chance(FFaults.Split) && bytes.size() >= 2) {
        const int pieces = FRandom.Between(2, static_cast<int>(std::min<qsizetype>(4, bytes.size())));
        while (static_cast<int>(cuts.size()) < pieces - 1) {
            const qsizetype cut = FRandom.Between(1, static_cast<int>(bytes.size() - 1));
            if (std::find(cuts.begin(), cuts.end(), cut) == cuts.end())
                cuts.push_back(cut);
        }
        std::sort(cuts.begin(), cuts.end());
        exchange.Split = true;
    }
    qsizetype from = 0;
    cuts.push_back(bytes.size());
    for (const qsizetype cut : cuts) {
        out.push_back({bytes.mid(from, cut - from), from == 0 ? gap : SplitGapMs, false});
        from = cut;
    }
    exchange.Answer = bytes;
    if (FLog)
        FLog(exchange);
}

QByteArray ModelCode(TModel model)
{
    const auto info = devices::KindInfo(model);
    return info ? QByteArray(info->Code) : QByteArray();
}

std::vector<TDeviceSpec> DefaultDevices()
{
    return {{TModel::Olvin3M, "001"}, {TModel::Selta, "001"}, {TModel::Olvin4, "001"}, {TModel::Torvis, "001"}};
}

bool ParseDevices(const QString& text, std::vector<TDeviceSpec>& devices, QString& error)
{
    devices.clear();
    for (const QString& item : text.split(',', Qt::SkipEmptyParts)) {
        const QStringList parts = item.trimmed().split(':');
        QString code = parts.value(0).trimmed().toUpper();
        if (code.startsWith('#'))
            code.remove(0, 1);
        const QByteArray address = parts.value(1).trimmed().toLatin1();
        const std::optional<TModel> model = code == "OV4" ? TModel::Olvin4 : ::devices::KindFromCode(code.toLatin1());
        if (!model) {
            error = QString("unknown model \"%1\" (use OV3, SLT, 1 or TRV)").arg(parts.value(0));
            return false;
        }
        if (parts.size() != 2 || address.size() != 3 || !AllDigits(address)) {
            error = QString("\"%1\": the address must be three digits, as in SLT:001").arg(item.trimmed());
            return false;
        }
        devices.push_back({*model, address});
    }
    if (devices.empty()) {
        error = "no devices given";
        return false;
    }
    return true;
}

} // namespace sim
