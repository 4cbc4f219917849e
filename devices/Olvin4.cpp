#include "devices/Olvin4.h"

#include "devices/Cp1251.h"

namespace olvin4 {
namespace {

constexpr int kFieldWidth = 4;
constexpr int kFirstFieldPosition = 6;

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
    for (int n = 0; n < ChannelCount; ++n) {
        // A short frame never lends its checksum digits to a channel.
        const auto read = devices::FieldAt(frame, kFirstFieldPosition + n * kFieldWidth, kFieldWidth);
        if (!read)
            break;
        const QByteArray& field = *read;
        TChannelReading& channel = status.Channels[static_cast<std::size_t>(n)];
        channel.State = ChannelStateText(field);
        // The last digit is tenths; the field is shown as sent, state codes included.
        channel.Value = devices::FromCp1251(field.left(3) + '.' + field.mid(3));
    }
    return status;
}

QByteArray CommandRequest(const QByteArray& deviceNumber, int channel, char command)
{
    return devices::Request(devices::TDeviceKind::Olvin4, deviceNumber, QByteArray(1, char('0' + channel)) + command);
}

} // namespace olvin4
