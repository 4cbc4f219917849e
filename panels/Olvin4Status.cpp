#include "panels/Olvin4Status.h"

#include "ui/Cp1251.h"

namespace olvin4 {
namespace {

constexpr int kFieldWidth = 4;
constexpr int kPayloadStart = 5; // 0-based index of position 6
constexpr int kChecksumWidth = 2;

} // namespace

QString ChannelStateText(const QByteArray& field)
{
    if (field == "-001")
        return QStringLiteral("Ток ниже минимального");
    if (field == "-002")
        return QStringLiteral("Интегральная защита");
    if (field == "-003")
        return QStringLiteral("Ток больше максимального");
    if (field == "-004")
        return QStringLiteral("Ошибка контроля нории");
    return {};
}

TStatus DecodeStatus(const QByteArray& frame)
{
    TStatus status;
    // Only the characters between the letter and the checksum are channel data, so a
    // short frame never lends its checksum digits to a channel.
    const qsizetype payloadSize = frame.size() - kPayloadStart - kChecksumWidth;
    const QByteArray payload = payloadSize > 0 ? frame.mid(kPayloadStart, payloadSize) : QByteArray();
    for (int n = 0; n < ChannelCount; ++n) {
        const qsizetype at = qsizetype(n) * kFieldWidth;
        if (at + kFieldWidth > payload.size())
            break;
        const QByteArray field = payload.mid(at, kFieldWidth);
        TChannelReading& channel = status.Channels[static_cast<std::size_t>(n)];
        channel.State = ChannelStateText(field);
        // The last digit is tenths; the field is shown as sent, state codes included.
        channel.Value = ui::FromCp1251(field.left(3) + '.' + field.mid(3));
    }
    return status;
}

} // namespace olvin4
