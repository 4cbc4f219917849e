#pragma once

#include <QString>
#include <QStringList>

namespace zorvex::detail {

// EnumComPorts on given roots: sysClassTty stands for /sys/class/tty, devDir
// for /dev. The list is replaced, sorted as text, case-insensitively.
void ListComPorts(const QString& sysClassTty, const QString& devDir, const QString& virtualDir, QStringList& list);

} // namespace zorvex::detail
