#pragma once

#include <QString>
#include <QStringList>

// Port list: the machine's serial ports found in sysfs (short names such as
// "ttyUSB0"; absent on-board UARTs left out) and every link of the virtual
// port directory whose target exists, under the link's name. Sorted as text,
// case-insensitively. No port is opened to find them.
void EnumComPorts(QStringList& list);
// The virtual port directory (zorvex::VirtualPortDir unless tests set another).
void SetVirtualPortDirectory(const QString& directory);
QString VirtualPortDirectory();
// The device path that Open uses for a Port name: the link of that name in
// the virtual directory if there is one, else /dev/<name>; an absolute path
// is taken as it is.
QString ResolvePortPath(const QString& name);

namespace zorvex::detail {

// EnumComPorts on given roots: sysClassTty stands for /sys/class/tty, devDir
// for /dev. The list is replaced, sorted as text, case-insensitively.
void ListComPorts(const QString& sysClassTty, const QString& devDir, const QString& virtualDir, QStringList& list);

} // namespace zorvex::detail
