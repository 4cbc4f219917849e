#include "cli/Decode.h"

#include "cli/Messages.h"
#include "devices/Cp1251.h"
#include "devices/Frame.h"
#include "devices/Olvin3M.h"
#include "devices/Olvin4.h"
#include "devices/Selta.h"
#include "devices/Torvis.h"

#include <QJsonArray>
#include <QTime>

namespace cli {

namespace {

using devices::TDeviceKind;

QJsonValue Optional(const std::optional<QString>& text) { return text ? QJsonValue(*text) : QJsonValue(); }

QString SensorName(char type) { return type == '0' ? QStringLiteral("0-5 мА") : QStringLiteral("4-20 мА"); }

QString Channel(int n, const char* name) { return QStringLiteral("ch%1_%2").arg(n).arg(QLatin1String(name)); }

// A Сельта channel's count also as the current it stands for, as the panel shows it.
QJsonValue Current(char sensor, int count, int limit)
{
    return selta::FormatChannelValue(selta::dmCurrent, sensor, count, limit / 100.0);
}

TFields Olvin3mStatus(const olvin3m::TStatus& s)
{
    static const char* const names[olvin3m::StatusValueCount] = {"current_a",   "current_b", "current_c", "voltage_a",
                                                                 "voltage_b",   "voltage_c", "pressure",  "level",
                                                                 "water_meter", "flow_rate"};
    TFields f{{"state", Optional(s.State)}};
    for (int i = 0; i < olvin3m::StatusValueCount; ++i)
        f.append({names[i], s.Values[std::size_t(i)]});
    f.append({"loop", s.Loop});
    f.append({"mode", s.Mode});
    f.append({"bubbling", Optional(s.Bubbling)});
    return f;
}

TFields SeltaStatus(const selta::Status& s)
{
    TFields f;
    for (int n = 1; n <= 2; ++n) {
        const selta::ChannelStatus& c = s.Channel[std::size_t(n - 1)];
        f.append({Channel(n, "sensor"), SensorName(c.SensorType)});
        f.append({Channel(n, "limit_mpa"), c.Limit / 100.0});
        f.append({Channel(n, "count"), c.Count});
        f.append({Channel(n, "current"), Current(c.SensorType, c.Count, c.Limit)});
        f.append({Channel(n, "depressurised"), c.Depressurised});
    }
    return f;
}

TFields Olvin4Status(const olvin4::TStatus& s)
{
    TFields f;
    for (int n = 1; n <= olvin4::ChannelCount; ++n) {
        f.append({Channel(n, "value"), s.Channels[std::size_t(n - 1)].Value});
        f.append({Channel(n, "state"), s.Channels[std::size_t(n - 1)].State});
    }
    return f;
}

// Сельта settings and statistics share a channel's layout.
void AppendRecord(TFields& f, int n, const selta::ChannelRecord& r)
{
    f.append({Channel(n, "sensor"), SensorName(r.SensorType)});
    f.append({Channel(n, "limit_mpa"), r.Limit / 100.0});
    f.append({Channel(n, "maximum"), r.Maximum});
    f.append({Channel(n, "maximum_current"), Current(r.SensorType, r.Maximum, r.Limit)});
    f.append({Channel(n, "minimum"), r.Minimum});
    f.append({Channel(n, "minimum_current"), Current(r.SensorType, r.Minimum, r.Limit)});
}

TFields Olvin3mSettings(const QByteArray& frame)
{
    const auto values = olvin3m::DecodeSettings(frame);
    TFields f;
    for (std::size_t n = 0; n < values.size(); ++n) {
        const olvin3m::TSetting& s = olvin3m::Settings()[n];
        QString name = QString::fromUtf8(s.Caption);
        if (*s.Unit)
            name += QStringLiteral(", ") + QString::fromUtf8(s.Unit);
        f.append({name, values[n]});
    }
    return f;
}

TFields Olvin3mIdentification(const QByteArray& frame)
{
    static const char* const names[] = {"number", "password", "version"};
    const QByteArrayList lines = olvin3m::IdentificationLines(frame);
    TFields f;
    for (qsizetype i = 0; i < lines.size() && i < 3; ++i) {
        // Each line is its caption, a space and the value.
        const QString line = devices::FromCp1251(lines[i]);
        f.append({names[i], line.mid(line.indexOf(' ') + 1)});
    }
    return f;
}

TFields Lines(const QStringList& lines)
{
    QJsonArray array;
    for (const QString& line : lines)
        if (!line.trimmed().isEmpty())
            array.append(line);
    return {{"lines", array}};
}

TFields TorvisStatus(const torvis::TStatus& s)
{
    TFields f;
    // A channel the frame does not reach stays null rather than vanishing.
    for (int n = 1; n <= torvis::AnalogCount; ++n) {
        const auto& a = s.Analog[std::size_t(n - 1)];
        const QString key = QStringLiteral("a%1_").arg(n);
        f.append({key + "value", a ? QJsonValue(a->Value) : QJsonValue()});
        f.append({key + "state", a ? QJsonValue(a->StateText) : QJsonValue()});
        f.append({key + "alarm", a ? QJsonValue(a->Alarm) : QJsonValue()});
    }
    for (int n = 1; n <= torvis::DiscreteCount; ++n) {
        const auto& d = s.Discrete[std::size_t(n - 1)];
        const QString key = QStringLiteral("d%1_").arg(n);
        f.append({key + "caption", d ? QJsonValue(d->Caption) : QJsonValue()});
        f.append({key + "on", d ? QJsonValue(d->Ticked) : QJsonValue()});
        f.append({key + "indicator", d ? QJsonValue(d->Indicator) : QJsonValue()});
    }
    return f;
}

QJsonValue ListItem(const QStringList& list, int index)
{
    return index >= 0 && index < list.size() ? QJsonValue(list[index]) : QJsonValue();
}

std::optional<TFields> TorvisRead(TReadWhat what, const QByteArray& frame)
{
    switch (what) {
    case TReadWhat::Settings:
        if (torvis::IsDiscreteTypesAnswer(frame)) {
            const auto types = torvis::DecodeDiscreteTypes(frame);
            if (!types)
                return std::nullopt;
            TFields f;
            for (int n = 1; n <= torvis::DiscreteCount; ++n)
                f.append({QStringLiteral("d%1_type").arg(n),
                          ListItem(torvis::DiscreteTypeNames(), (*types)[std::size_t(n - 1)])});
            return f;
        }
        if (const auto a = torvis::DecodeAnalogSettings(frame)) {
            static const char* const levels[torvis::LevelCount] = {"upper", "lower", "alarm_high", "alarm_low"};
            TFields f{{"channel", a->Channel},
                      {"sensor_type", ListItem(torvis::SensorTypeNames(), a->SensorType)},
                      {"unit", ListItem(torvis::UnitSymbols(), a->Unit)}};
            for (int i = 0; i < torvis::LevelCount; ++i)
                f.append({levels[i], a->Levels[std::size_t(i)]});
            return f;
        }
        return std::nullopt;
    case TReadWhat::Version:
        return TFields{{"version", torvis::DecodeVersion(frame)}};
    case TReadWhat::Calibration:
        if (const auto c = torvis::DecodeCalibration(frame))
            return TFields{{"upper", c->Upper}, {"lower", c->Lower}};
        return std::nullopt;
    case TReadWhat::Statistics:
        break;
    }
    return std::nullopt;
}

QString NoRead(TDeviceKind kind, TReadWhat what)
{
    static const char* const names[] = {"settings", "statistics", "version", "calibration"};
    return Text(TMsg::NotForModel).arg(devices::KindListName(kind), QLatin1String(names[int(what)]));
}

} // namespace

QByteArray StatusRequest(TDeviceKind kind, const QByteArray& number) { return devices::Request(kind, number, "T"); }

std::optional<TFields> DecodeStatusFields(TDeviceKind kind, const QByteArray& frame)
{
    if (devices::CheckedLetter(frame) != 'T')
        return std::nullopt;
    switch (kind) {
    case TDeviceKind::Olvin3M:
        if (const auto s = olvin3m::DecodeStatus(frame))
            return Olvin3mStatus(*s);
        return std::nullopt;
    case TDeviceKind::Selta:
        if (const auto s = selta::DecodeStatusFrame(frame))
            return SeltaStatus(*s);
        return std::nullopt;
    case TDeviceKind::Olvin4:
        return Olvin4Status(olvin4::DecodeStatus(frame));
    case TDeviceKind::Torvis:
        return TorvisStatus(torvis::DecodeStatus(frame));
    default:
        return std::nullopt;
    }
}

TReadPlan PlanRead(TDeviceKind kind, TReadWhat what, const QByteArray& number, int channel)
{
    if (channel != 0 && kind != TDeviceKind::Torvis)
        return {{}, 0, Text(TMsg::UnknownOption).arg("read", "--channel")};
    switch (kind) {
    case TDeviceKind::Olvin3M:
        if (what == TReadWhat::Settings)
            return {olvin3m::Request(number, "u"), olvin3m::SettingsLetter, {}};
        if (what == TReadWhat::Statistics)
            return {olvin3m::Request(number, "t"), olvin3m::StatisticsLetter, {}};
        if (what == TReadWhat::Version)
            return {olvin3m::IdentificationRequest(), olvin3m::IdentificationLetter, {}, false};
        break;
    case TDeviceKind::Selta:
        if (what == TReadWhat::Settings)
            return {selta::Request(number, "u"), selta::SettingsLetter, {}};
        if (what == TReadWhat::Statistics)
            return {selta::Request(number, "S"), selta::StatisticsLetter, {}};
        break;
    case TDeviceKind::Torvis: {
        if (what == TReadWhat::Version)
            return {torvis::VersionRequest(number), torvis::VersionLetter, {}};
        if (what == TReadWhat::Statistics)
            break;
        // The panel's own checks of the channel give the request or its message.
        const devices::TChecked checked =
            what == TReadWhat::Settings
                ? (channel == 9 ? devices::TChecked::Accept(torvis::DiscreteTypesRequest(number))
                                : torvis::CheckSettingsRead(number, channel))
                : torvis::CheckCalibrationRead(number, channel);
        if (channel == 0)
            return {{}, 0, Text(TMsg::MissingOption).arg(QStringLiteral("--channel"))};
        if (!checked.Accepted())
            return {{},
                    0,
                    Text(TMsg::BadValue)
                        .arg(QStringLiteral("--channel"), QString::number(channel),
                             English() ? QStringLiteral("a channel 1 to 8 is expected")
                                       : QStringLiteral("ожидается канал от 1 до 8"))};
        return {checked.Frame, what == TReadWhat::Settings ? torvis::SettingsLetter : torvis::CalibrationLetter, {}};
    }
    default:
        break;
    }
    return {{}, 0, NoRead(kind, what)};
}

std::optional<TFields> DecodeReadFields(TDeviceKind kind, TReadWhat what, const QByteArray& frame)
{
    switch (kind) {
    case TDeviceKind::Olvin3M:
        if (what == TReadWhat::Settings)
            return Olvin3mSettings(frame);
        if (what == TReadWhat::Statistics)
            return Lines(olvin3m::StatisticsLines(frame, QTime::currentTime()).mid(1));
        if (what == TReadWhat::Version)
            return Olvin3mIdentification(frame);
        break;
    case TDeviceKind::Selta:
        if (what == TReadWhat::Settings) {
            const auto s = selta::DecodeSettingsFrame(frame);
            if (!s)
                return std::nullopt;
            TFields f;
            for (int n = 1; n <= 2; ++n)
                AppendRecord(f, n, s->Channel[std::size_t(n - 1)]);
            f.append({"alarm_mode", QString(QChar::fromLatin1(s->Alarm))});
            return f;
        }
        if (what == TReadWhat::Statistics) {
            const auto s = selta::DecodeStatisticsFrame(frame);
            if (!s)
                return std::nullopt;
            TFields f;
            for (int n = 1; n <= 2; ++n) {
                AppendRecord(f, n, s->Channel[std::size_t(n - 1)]);
                f.append({Channel(n, "was_depressurised"), s->Depressurised[std::size_t(n - 1)]});
            }
            return f;
        }
        break;
    case TDeviceKind::Torvis:
        return TorvisRead(what, frame);
    default:
        break;
    }
    return std::nullopt;
}

} // namespace cli
