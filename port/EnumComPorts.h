#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the machine tells of the adapter behind a port name, from sysfs and the
// by-id links. Fields the device does not have stay empty.
struct TPortIdentity {
    QString Name;         // as in the port list: "ttyUSB0", "vsim0"
    QString Device;       // the device node, links resolved: "/dev/ttyUSB0", "/dev/pts/3"
    QString Driver;       // "ftdi_sio", "cdc_acm", "serial8250"
    QString VendorId;     // USB, four hex digits
    QString ProductId;    // USB, four hex digits
    QString Manufacturer; // USB strings as the adapter gives them
    QString Product;
    QString Serial;
    QString ById;            // the stable link: /dev/serial/by-id/..., or the virtual directory's by-id/...
    int LatencyTimerMs = -1; // a USB adapter's latency timer, where its driver shows it
    bool Virtual = false;    // a link of the virtual port directory
    bool Usb() const { return !VendorId.isEmpty(); }
};

// Port list: the machine's serial ports found in sysfs (short names such as
// "ttyUSB0"; absent on-board UARTs left out) and every link of the virtual
// port directory whose target exists, under the link's name. Sorted as text,
// case-insensitively. No port is opened to find them.
void EnumComPorts(QStringList& list);
// The same list, each entry with its identity.
QList<TPortIdentity> EnumComPortIdentities();
// The identity of one name of the list; only Name is set for a name not there.
TPortIdentity ComPortIdentity(const QString& name);
// Where the adapter of identity is now: its by-id link leads to a listed port
// (the name may have changed, ttyUSB0 becoming ttyUSB1), else, for an adapter
// without one, the same name is listed again. Empty while it is not there.
QString FindComPort(const TPortIdentity& identity);

// Several lines for the port list's tool tip, and one line for the log.
QString PortToolTip(const TPortIdentity& identity);
QString PortDescription(const TPortIdentity& identity);

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
QList<TPortIdentity> ListComPortIdentities(const QString& sysClassTty, const QString& devDir,
                                           const QString& virtualDir);
QString FindComPort(const QList<TPortIdentity>& ports, const TPortIdentity& identity);

} // namespace zorvex::detail
