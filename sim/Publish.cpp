#include "sim/Publish.h"

#include <QByteArray>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

namespace {

QByteArray LinkTarget(const QByteArray& path)
{
    char buffer[4096];
    const ssize_t n = readlink(path.constData(), buffer, sizeof buffer - 1);
    return n < 0 ? QByteArray() : QByteArray(buffer, n);
}

} // namespace

QString PublishLink(const QString& dir, const QString& target, const QString& stem)
{
    const QByteArray d = dir.toLocal8Bit();
    // Everyone's simulators share the directory, so anyone may add links to it.
    if (mkdir(d.constData(), 01777) == 0)
        chmod(d.constData(), 01777);
    else if (errno != EEXIST)
        return {};
    const QByteArray t = target.toLocal8Bit();
    for (int n = 0; n < 1000; ++n) {
        const QByteArray path = d + '/' + stem.toLocal8Bit() + QByteArray::number(n);
        if (symlink(t.constData(), path.constData()) == 0)
            return QString::fromLocal8Bit(path);
        if (errno != EEXIST)
            return {};
        struct stat info {};
        if (lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            continue;
        const bool dangling = stat(path.constData(), &info) != 0;
        if (!dangling && LinkTarget(path) != t)
            continue;
        if (unlink(path.constData()) != 0)
            continue;
        if (symlink(t.constData(), path.constData()) == 0)
            return QString::fromLocal8Bit(path);
    }
    errno = EEXIST;
    return {};
}

void UnpublishLink(const QString& link, const QString& target)
{
    const QByteArray path = link.toLocal8Bit();
    if (LinkTarget(path) == target.toLocal8Bit())
        unlink(path.constData());
}

} // namespace sim
