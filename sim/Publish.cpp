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

// Everyone's simulators share the directory, so anyone may add links to it.
bool MakeSharedDir(const QByteArray& dir)
{
    if (mkdir(dir.constData(), 01777) == 0)
        chmod(dir.constData(), 01777);
    else if (errno != EEXIST)
        return false;
    return true;
}

// Links path to target, replacing a link that leads nowhere or to target already.
bool TakeLink(const QByteArray& path, const QByteArray& target)
{
    if (symlink(target.constData(), path.constData()) == 0)
        return true;
    if (errno != EEXIST)
        return false;
    struct stat info {};
    if (lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        errno = EEXIST;
        return false;
    }
    const bool dangling = stat(path.constData(), &info) != 0;
    if ((!dangling && LinkTarget(path) != target) || unlink(path.constData()) != 0) {
        errno = EEXIST;
        return false;
    }
    return symlink(target.constData(), path.constData()) == 0;
}

} // namespace

QString PublishLink(const QString& dir, const QString& target, const QString& stem)
{
    const QByteArray d = dir.toLocal8Bit();
    if (!MakeSharedDir(d))
        return {};
    const QByteArray t = target.toLocal8Bit();
    for (int n = 0; n < 1000; ++n) {
        const QByteArray path = d + '/' + stem.toLocal8Bit() + QByteArray::number(n);
        if (TakeLink(path, t))
            return QString::fromLocal8Bit(path);
        if (errno != EEXIST)
            return {};
    }
    errno = EEXIST;
    return {};
}

QString PublishStableLink(const QString& dir, const QString& name, const QString& target)
{
    const QByteArray d = dir.toLocal8Bit();
    if (!MakeSharedDir(d))
        return {};
    const QByteArray path = d + '/' + name.toLocal8Bit();
    return TakeLink(path, target.toLocal8Bit()) ? QString::fromLocal8Bit(path) : QString();
}

void UnpublishLink(const QString& link, const QString& target)
{
    const QByteArray path = link.toLocal8Bit();
    if (LinkTarget(path) == target.toLocal8Bit())
        unlink(path.constData());
}

} // namespace sim
