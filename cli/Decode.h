#pragma once

#include "cli/Options.h"
#include "devices/DeviceKind.h"

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace cli {

// Named values of an answer, in the order the device sends them.
using TFields = QList<std::pair<QString, QJsonValue>>;

// The status request of a model.
QByteArray StatusRequest(devices::TDeviceKind kind, const QByteArray& number);
// The values of a status answer whose checksum holds; nothing when the frame
// is no status answer the model's decoder can read.
std::optional<TFields> DecodeStatusFields(devices::TDeviceKind kind, const QByteArray& frame);

// What reading one item of a model takes: the request and the letter of its answer.
struct TReadPlan {
    QByteArray Request;
    char Letter = 0;
    QString Refusal;
    // The identification answer is read without its checksum, as the panel reads it.
    bool Checksummed = true; // why the model cannot read it; then nothing is sent
};
TReadPlan PlanRead(devices::TDeviceKind kind, TReadWhat what, const QByteArray& number, int channel);
// The values of the answer to a planned read, checksum and letter checked.
std::optional<TFields> DecodeReadFields(devices::TDeviceKind kind, TReadWhat what, const QByteArray& frame);

} // namespace cli
