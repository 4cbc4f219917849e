#include "port/EnumComPorts.h"

#include "port/BCPort.h"
#include "port/VirtualPorts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <algorithm>

namespace {

QMutex DirMutex;
QString VirtualDir = QString::fromLatin1(zorvex::VirtualPortDir);

// An on-board UART that the kernel registered but that is not there reports type 0.
bool AbsentUart(const QString& ttyDir)
{
    QFile type(ttyDir + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return false;
    return type.readAll().trimmed() == "0";
}

} // namespace

namespace zorvex::detail {

void ListComPorts(const QString& sysClassTty, const QString& devDir, const QString& virtualDir, QStringList& list)
{
    QStringList names;
    const QDir sys(sysClassTty);
    for (const QString& name : sys.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString ttyDir = sys.filePath(name);
        if (!QFileInfo::exists(ttyDir + QStringLiteral("/device")))
            continue; // virtual consoles, ptys and the like have no device behind them
        if (name.startsWith(QLatin1String("ttyS")) && AbsentUart(ttyDir))
            continue;
        if (!QFileInfo::exists(QDir(devDir).filePath(name)))
            continue;
        names << name;
    }

    if (!virtualDir.isEmpty()) {
        const QDir links(virtualDir);
        for (const QFileInfo& info : links.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            // exists() follows the link: a link left behind by a stopped simulator is not listed.
            if (info.isSymLink() && QFileInfo::exists(info.absoluteFilePath()) && !names.contains(info.fileName()))
                names << info.fileName();
        }
    }

    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    list = names;
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

void EnumComPorts(QStringList& list)
{
    zorvex::detail::ListComPorts(QStringLiteral("/sys/class/tty"), QStringLiteral("/dev"), VirtualPortDirectory(),
                                 list);
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
