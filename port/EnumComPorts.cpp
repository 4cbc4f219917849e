#include "port/EnumComPorts.h"

#include "port/VirtualPorts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <algorithm>

namespace {

QMutex DirMutex;
QString VirtualDir = QString::fromLatin1(zorvex::VirtualPortDir);

QString ReadLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // sysfs strings come from the adapter: a line, bounded.
    return QString::fromUtf8(file.read(256)).section(QLatin1Char('\n'), 0, 0).trimmed();
}

// An on-board UART that the kernel registered but that is not there reports type 0.
bool AbsentUart(const QString& ttyDir) { return ReadLine(ttyDir + QStringLiteral("/type")) == QLatin1String("0"); }

// The link of folder that leads to device, as a path inside folder.
QString LinkTo(const QString& folder, const QString& device)
{
    if (device.isEmpty())
        return {};
    const QDir dir(folder);
    for (const QFileInfo& link : dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        if (link.isSymLink() && link.canonicalFilePath() == device)
            return link.absoluteFilePath();
    return {};
}

// Driver and USB strings: the driver of the tty's device, and the first
// ancestor that is a USB device (the tty of a usb-serial adapter sits one or
// two levels below it, under the interface).
void ReadSysfs(const QString& ttyDir, TPortIdentity& id)
{
    QString device = QFileInfo(ttyDir + QStringLiteral("/device")).canonicalFilePath();
    if (device.isEmpty())
        return;
    id.Driver = QFileInfo(QFileInfo(device + QStringLiteral("/driver")).canonicalFilePath()).fileName();
    bool ok = false;
    const int latency = ReadLine(device + QStringLiteral("/latency_timer")).toInt(&ok);
    if (ok)
        id.LatencyTimerMs = latency;
    for (int level = 0; level < 4 && !device.isEmpty() && device != QLatin1String("/"); ++level) {
        if (QFileInfo::exists(device + QStringLiteral("/idVendor"))) {
            id.VendorId = ReadLine(device + QStringLiteral("/idVendor"));
            id.ProductId = ReadLine(device + QStringLiteral("/idProduct"));
            id.Manufacturer = ReadLine(device + QStringLiteral("/manufacturer"));
            id.Product = ReadLine(device + QStringLiteral("/product"));
            id.Serial = ReadLine(device + QStringLiteral("/serial"));
            return;
        }
        device = QFileInfo(device).path();
    }
}

void SortByName(QList<TPortIdentity>& ports)
{
    std::sort(ports.begin(), ports.end(), [](const TPortIdentity& a, const TPortIdentity& b) {
        const int c = QString::compare(a.Name, b.Name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.Name < b.Name;
    });
}

} // namespace

namespace zorvex::detail {

QList<TPortIdentity> ListComPortIdentities(const QString& sysClassTty, const QString& devDir, const QString& virtualDir)
{
    QList<TPortIdentity> ports;
    const QDir sys(sysClassTty);
    const QString byId = QDir(devDir).filePath(QStringLiteral("serial/by-id"));
    for (const QString& name : sys.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString ttyDir = sys.filePath(name);
        if (!QFileInfo::exists(ttyDir + QStringLiteral("/device")))
            continue; // virtual consoles, ptys and the like have no device behind them
        if (name.startsWith(QLatin1String("ttyS")) && AbsentUart(ttyDir))
            continue;
        const QFileInfo node(QDir(devDir).filePath(name));
        if (!node.exists())
            continue;
        TPortIdentity id;
        id.Name = name;
        id.Device = node.canonicalFilePath();
        ReadSysfs(ttyDir, id);
        id.ById = LinkTo(byId, id.Device);
        ports << id;
    }

    if (!virtualDir.isEmpty()) {
        const QDir links(virtualDir);
        const QString virtualById = links.filePath(QString::fromLatin1(zorvex::ByIdFolder));
        for (const QFileInfo& info : links.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            // exists() follows the link: a link left behind by a stopped simulator is not listed.
            if (!info.isSymLink() || !QFileInfo::exists(info.absoluteFilePath()))
                continue;
            const QString name = info.fileName();
            if (std::any_of(ports.cbegin(), ports.cend(), [&](const TPortIdentity& p) { return p.Name == name; }))
                continue;
            TPortIdentity id;
            id.Name = name;
            id.Virtual = true;
            id.Device = info.canonicalFilePath();
            id.ById = LinkTo(virtualById, id.Device);
            ports << id;
        }
    }
    SortByName(ports);
    return ports;
}

void ListComPorts(const QString& sysClassTty, const QString& devDir, const QString& virtualDir, QStringList& list)
{
    QStringList names;
    for (const TPortIdentity& id : ListComPortIdentities(sysClassTty, devDir, virtualDir))
        names << id.Name;
    list = names;
}

QString FindComPort(const QList<TPortIdentity>& ports, const TPortIdentity& identity)
{
    if (identity.ById.isEmpty()) {
        for (const TPortIdentity& p : ports)
            if (p.Name == identity.Name)
                return p.Name;
        return {};
    }
    // The same stable link, wherever it leads now; the old name first if it
    // is one of several names of that device.
    QString found;
    for (const TPortIdentity& p : ports) {
        if (p.ById != identity.ById)
            continue;
        if (p.Name == identity.Name)
            return p.Name;
        if (found.isEmpty())
            found = p.Name;
    }
    return found;
}

} // namespace zorvex::detail

void SetVirtualPortDirectory(const QString& directory)
{
    QMutexLocker lock(&DirMutex);
    VirtualDir = directory;
}

QString VirtualPortDirectory()
{
    QMutexLocker lock(&DirMutex);
    return VirtualDir;
}

QList<TPortIdentity> EnumComPortIdentities()
{
    return zorvex::detail::ListComPortIdentities(QStringLiteral("/sys/class/tty"), QStringLiteral("/dev"),
                                                 VirtualPortDirectory());
}

void EnumComPorts(QStringList& list)
{
    zorvex::detail::ListComPorts(QStringLiteral("/sys/class/tty"), QStringLiteral("/dev"), VirtualPortDirectory(),
                                 list);
}

TPortIdentity ComPortIdentity(const QString& name)
{
    for (const TPortIdentity& id : EnumComPortIdentities())
        if (id.Name == name)
            return id;
    TPortIdentity id;
    id.Name = name;
    return id;
}

QString FindComPort(const TPortIdentity& identity)
{
    return zorvex::detail::FindComPort(EnumComPortIdentities(), identity);
}

namespace {

QString UsbIds(const TPortIdentity& id) { return id.VendorId + QLatin1Char(':') + id.ProductId; }

QString MakerAndProduct(const TPortIdentity& id)
{
    QStringList words;
    for (const QString& word : {id.Manufacturer, id.Product})
        if (!word.isEmpty())
            words << word;
    return words.join(QLatin1Char(' '));
}

} // namespace

QString PortToolTip(const TPortIdentity& id)
{
    QStringList lines;
    lines << (id.Device.isEmpty() ? id.Name : id.Device);
    if (id.Virtual)
        lines << QStringLiteral("Виртуальный порт");
    if (!id.Driver.isEmpty())
        lines << QStringLiteral("Драйвер: %1").arg(id.Driver);
    if (id.Usb())
        lines << QStringLiteral("USB: %1").arg(UsbIds(id));
    if (!id.Manufacturer.isEmpty())
        lines << QStringLiteral("Изготовитель: %1").arg(id.Manufacturer);
    if (!id.Product.isEmpty())
        lines << QStringLiteral("Изделие: %1").arg(id.Product);
    if (!id.Serial.isEmpty())
        lines << QStringLiteral("Серийный номер: %1").arg(id.Serial);
    if (id.LatencyTimerMs >= 0)
        lines << QStringLiteral("Таймер задержки: %1 мс").arg(id.LatencyTimerMs);
    if (!id.ById.isEmpty())
        lines << id.ById;
    return lines.join(QLatin1Char('\n'));
}

QString PortDescription(const TPortIdentity& id)
{
    QStringList parts;
    if (id.Virtual)
        parts << QStringLiteral("виртуальный");
    if (!id.Device.isEmpty())
        parts << id.Device;
    if (!id.Driver.isEmpty())
        parts << id.Driver;
    if (id.Usb())
        parts << QStringLiteral("USB %1").arg(UsbIds(id));
    if (const QString maker = MakerAndProduct(id); !maker.isEmpty())
        parts << maker;
    if (!id.Serial.isEmpty())
        parts << QStringLiteral("серийный номер %1").arg(id.Serial);
    if (!id.ById.isEmpty())
        parts << id.ById;
    if (id.LatencyTimerMs >= 0)
        parts << QStringLiteral("таймер задержки %1 мс").arg(id.LatencyTimerMs);
    return parts.join(QStringLiteral(", "));
}

QString ResolvePortPath(const QString& name)
{
    if (name.startsWith(QLatin1Char('/')))
        return name;
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    const QString dir = VirtualPortDirectory();
    if (!dir.isEmpty()) {
        const QFileInfo link(QDir(dir).filePath(name));
        if (link.isSymLink())
            return link.filePath();
    }
    return QStringLiteral("/dev/") + name;
}
