#include "port/DeviceAccess.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <grp.h>
#include <linux/serial.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace {

// Holders named at most; a port is rarely held by more than one or two.
constexpr int MaxHolders = 3;

bool IsNumber(const char* s)
{
    if (!*s)
        return false;
    for (; *s; ++s)
        if (*s < '0' || *s > '9')
            return false;
    return true;
}

bool HoldsDevice(const QByteArray& fdDir, dev_t device)
{
    DIR* dir = ::opendir(fdDir.constData());
    if (!dir)
        return false; // another user's process: /proc does not tell
    bool holds = false;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat info {};
        if (IsNumber(entry->d_name) && ::stat((fdDir + '/' + entry->d_name).constData(), &info) == 0 &&
            S_ISCHR(info.st_mode) && info.st_rdev == device) {
            holds = true;
            break;
        }
    }
    ::closedir(dir);
    return holds;
}

QString ProcessName(const QByteArray& processDir, long pid)
{
    QFile comm(QFile::decodeName(processDir + "/comm"));
    const QString name = comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.read(64)).trimmed() : QString();
    return QStringLiteral("%1 (PID %2)").arg(name.isEmpty() ? QStringLiteral("?") : name).arg(pid);
}

QString GroupName(gid_t gid)
{
    const group* g = ::getgrgid(gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(gid);
}

QString UserName(uid_t uid)
{
    const passwd* p = ::getpwuid(uid);
    return p ? QString::fromLocal8Bit(p->pw_name) : QString::number(uid);
}

} // namespace

namespace zorvex::detail {

QString DeviceHolders(const QString& procRoot, const QString& device)
{
    struct stat node {};
    if (::stat(QFile::encodeName(device).constData(), &node) != 0 || !S_ISCHR(node.st_mode))
        return {};
    const QByteArray root = QFile::encodeName(procRoot);
    DIR* proc = ::opendir(root.constData());
    if (!proc)
        return {};
    const long self = ::getpid();
    std::vector<long> pids;
    while (const dirent* entry = ::readdir(proc))
        if (IsNumber(entry->d_name) && std::atol(entry->d_name) != self)
            pids.push_back(std::atol(entry->d_name));
    ::closedir(proc);
    std::sort(pids.begin(), pids.end());

    QStringList holders;
    for (const long pid : pids) {
        const QByteArray dir = root + '/' + QByteArray::number(static_cast<qlonglong>(pid));
        if (!HoldsDevice(dir + "/fd", node.st_rdev))
            continue;
        holders << ProcessName(dir, pid);
        if (holders.size() == MaxHolders)
            break;
    }
    return holders.join(QStringLiteral(", "));
}

QString DeviceLockHolders(const QString& procRoot, const QString& device)
{
    struct stat node {};
    if (::stat(QFile::encodeName(device).constData(), &node) != 0)
        return {};
    // "1: FLOCK  ADVISORY  WRITE 3017 00:18:3 0 EOF": the file as major:minor
    // of its file system in hex and its inode.
    const QByteArray file = QByteArray::number(major(node.st_dev), 16).rightJustified(2, '0') + ':' +
                            QByteArray::number(minor(node.st_dev), 16).rightJustified(2, '0') + ':' +
                            QByteArray::number(static_cast<qulonglong>(node.st_ino));
    QFile locks(procRoot + QStringLiteral("/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return {};
    const long self = ::getpid();
    std::vector<long> pids;
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // A lock someone waits for ("-> ...") is held by the line above it.
        if (fields.size() < 6 || fields[1] == "->" || fields[5] != file)
            continue;
        const long pid = fields[4].toLong();
        if (pid > 0 && pid != self && std::find(pids.begin(), pids.end(), pid) == pids.end())
            pids.push_back(pid);
    }
    std::sort(pids.begin(), pids.end());
    QStringList holders;
    for (const long pid : pids) {
        holders << ProcessName(QFile::encodeName(procRoot) + '/' + QByteArray::number(static_cast<qlonglong>(pid)),
                               pid);
        if (holders.size() == MaxHolders)
            break;
    }
    return holders.join(QStringLiteral(", "));
}

} // namespace zorvex::detail

QString DeviceHolders(const QString& device) { return zorvex::detail::DeviceHolders(QStringLiteral("/proc"), device); }

QString DeviceLockHolders(const QString& device)
{
    return zorvex::detail::DeviceLockHolders(QStringLiteral("/proc"), device);
}

TAccessFacts AccessFacts(const QString& port, const QString& device)
{
    TAccessFacts facts;
    facts.Port = port;
    facts.Device = device;
    const uid_t uid = ::geteuid();
    facts.User = UserName(uid);
    struct stat node {};
    if (::stat(QFile::encodeName(device).constData(), &node) != 0)
        return facts;
    facts.Owner = UserName(node.st_uid);
    facts.Group = GroupName(node.st_gid);
    facts.GroupMayUse = (node.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);

    facts.SessionHasGroup = ::getegid() == node.st_gid;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<size_t>(std::max(count, 0)));
    if (count > 0 && ::getgroups(count, groups.data()) == count)
        facts.SessionHasGroup =
            facts.SessionHasGroup || std::find(groups.begin(), groups.end(), node.st_gid) != groups.end();

    facts.InGroup = facts.SessionHasGroup;
    if (const passwd* p = ::getpwuid(uid)) {
        int n = 64;
        std::vector<gid_t> member(static_cast<size_t>(n));
        if (::getgrouplist(p->pw_name, p->pw_gid, member.data(), &n) < 0) {
            member.resize(static_cast<size_t>(n));
            ::getgrouplist(p->pw_name, p->pw_gid, member.data(), &n);
        }
        member.resize(static_cast<size_t>(std::max(n, 0)));
        facts.InGroup = facts.InGroup || std::find(member.begin(), member.end(), node.st_gid) != member.end();
    }
    return facts;
}

QString AccessDeniedMessage(const TAccessFacts& f)
{
    if (f.GroupMayUse && !f.InGroup)
        return QStringLiteral("Нет доступа к порту %1: у пользователя %2 нет прав на %3. Доступ к нему есть у "
                              "группы %4: добавьте пользователя в эту группу (sudo usermod -aG %4 %2) и войдите "
                              "в систему заново.")
            .arg(f.Port, f.User, f.Device, f.Group);
    if (f.GroupMayUse && !f.SessionHasGroup)
        return QStringLiteral("Нет доступа к порту %1: пользователь %2 уже в группе %3, но сеанс начат до этого. "
                              "Войдите в систему заново.")
            .arg(f.Port, f.User, f.Group);
    const QString whose =
        f.Owner.isEmpty() ? QString() : QStringLiteral(" (владелец %1, группа %2)").arg(f.Owner, f.Group);
    return QStringLiteral("Нет доступа к порту %1: у пользователя %2 нет прав на %3%4. Попросите администратора "
                          "открыть доступ к устройству.")
        .arg(f.Port, f.User, f.Device, whose);
}

bool RequestLowLatency(int fd)
{
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return false;
    if (serial.flags & ASYNC_LOW_LATENCY)
        return true;
    serial.flags |= ASYNC_LOW_LATENCY;
    if (::ioctl(fd, TIOCSSERIAL, &serial) != 0)
        return false;
    // Some drivers accept the call and ignore the flag: ask again.
    return ::ioctl(fd, TIOCGSERIAL, &serial) == 0 && (serial.flags & ASYNC_LOW_LATENCY) != 0;
}
