#pragma once

#include <QByteArray>
#include <QString>

namespace devices {

// The line and the recording file carry 8-bit text in the Cyrillic Windows code
// page; these convert it for display and back, byte for byte where possible.
QString FromCp1251(const QByteArray& bytes);
// Characters without a place in the code page become "?".
QByteArray ToCp1251(const QString& text);

} // namespace devices
