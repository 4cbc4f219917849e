#include "cli/Output.h"

#include "devices/Cp1251.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace cli {

namespace {

QString Milliseconds(double ms) { return QString::number(ms, 'f', 2); }

// Plain text of a value for text and CSV: strings bare, lists joined.
QString Plain(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 15);
    case QJsonValue::Array: {
        QStringList parts;
        for (const QJsonValue& v : value.toArray())
            parts << Plain(v);
        return parts.join(QStringLiteral(" | "));
    }
    default:
        return QString();
    }
}

QString CsvCell(const QString& text)
{
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r') &&
        !text.startsWith(' ') && !text.endsWith(' '))
        return text;
    QString quoted = text;
    quoted.replace('"', QStringLiteral("\"\""));
    return '"' + quoted + '"';
}

QString Time(const QDateTime& time) { return time.toString(Qt::ISODateWithMs); }

} // namespace

QString JsonText(const QJsonValue& value)
{
    // A document holds arrays and objects only: the value travels inside one.
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QStringList TRecordWriter::Lines(const TRecord& r)
{
    const QString frame = devices::FromCp1251(r.Frame);
    const QString ms = r.ResponseMs ? Milliseconds(*r.ResponseMs) : QString();
    switch (FFormat) {
    case TFormat::Json: {
        QStringList parts{"\"time\":" + JsonText(Time(r.Time))};
        if (!r.Model.isEmpty())
            parts << "\"model\":" + JsonText(r.Model);
        if (!r.Address.isEmpty())
            parts << "\"address\":" + JsonText(QString::fromLatin1(r.Address));
        if (!r.Request.isEmpty())
            parts << "\"request\":" + JsonText(devices::FromCp1251(r.Request.chopped(1)));
        parts << "\"response_ms\":" + (r.ResponseMs ? ms : QStringLiteral("null"));
        parts << "\"checksum_ok\":" + QString(r.ChecksumOk ? "true" : "false");
        if (r.Values) {
            QStringList values;
            for (const auto& [name, value] : *r.Values)
                values << JsonText(name) + ':' + JsonText(value);
            parts << "\"values\":{" + values.join(',') + '}';
        } else if (r.Request.isEmpty()) {
            parts << "\"values\":null";
        }
        parts << "\"frame\":" + JsonText(frame);
        return {'{' + parts.join(',') + '}'};
    }
    case TFormat::Text: {
        QStringList parts{r.Time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))};
        if (!r.Model.isEmpty())
            parts << r.Model;
        if (!r.Address.isEmpty())
            parts << QString::fromLatin1(r.Address);
        parts << (r.ResponseMs ? ms + QStringLiteral(" ms") : QStringLiteral("- ms"));
        if (!r.ChecksumOk)
            parts << QStringLiteral("checksum!");
        if (r.Values)
            for (const auto& [name, value] : *r.Values)
                parts << name + '=' + Plain(value);
        parts << frame;
        return {parts.join(QStringLiteral("  "))};
    }
    case TFormat::Csv: {
        QStringList lines;
        if (!FHeaderDone) {
            FHeaderDone = true;
            if (r.Values)
                for (const auto& field : *r.Values)
                    FColumns << field.first;
            QStringList header{"time", "model", "address", "response_ms", "checksum_ok"};
            for (const QString& c : FColumns)
                header << CsvCell(c);
            header << "frame";
            lines << header.join(',');
        }
        QStringList row{Time(r.Time), CsvCell(r.Model), QString::fromLatin1(r.Address), ms,
                        r.ChecksumOk ? "true" : "false"};
        for (const QString& column : FColumns) {
            QString cell;
            if (r.Values)
                for (const auto& [name, value] : *r.Values)
                    if (name == column)
                        cell = Plain(value);
            row << CsvCell(cell);
        }
        row << CsvCell(frame);
        lines << row.join(',');
        return lines;
    }
    }
    return {};
}

} // namespace cli
