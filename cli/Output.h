#pragma once

#include "cli/Decode.h"
#include "cli/Options.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

// One answer as the program prints it.
struct TRecord {
    QDateTime Time;
    QString Model;      // empty for a raw request
    QByteArray Address; // the address asked
    QByteArray Request; // printed for a raw request only
    std::optional<double> ResponseMs;
    bool ChecksumOk = false;
    std::optional<TFields> Values; // nothing when the answer could not be read
    QByteArray Frame;              // as received, without its CR
};

// Turns records into lines of one format; a CSV header comes before the first
// record and names its columns, and later records fill the same columns.
class TRecordWriter {
public:
    explicit TRecordWriter(TFormat format) : FFormat(format) {}
    // The lines to print for record, each without its line end.
    QStringList Lines(const TRecord& record);

private:
    TFormat FFormat;
    QStringList FColumns;
    bool FHeaderDone = false;
};

// A value as JSON text (strings quoted and escaped).
QString JsonText(const QJsonValue& value);

} // namespace cli
