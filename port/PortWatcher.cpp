#include "port/PortWatcher.h"

#include "port/EnumComPorts.h"
#include "port/VirtualPorts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdint>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// A device node appears, is renamed into place, or udev gives it its group.
constexpr std::uint32_t WatchMask = IN_CREATE | IN_MOVED_TO | IN_ATTRIB | IN_ONLYDIR;

QString NearestExisting(QString path)
{
    while (!path.isEmpty() && !QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return {};
        path = parent;
    }
    return path;
}

} // namespace

TPortWatcher::TPortWatcher(QStringList folders, QObject* parent) : QObject(parent), FFolders(std::move(folders)) {}

TPortWatcher::~TPortWatcher() { Stop(); }

void TPortWatcher::Start()
{
    if (FRunning)
        return;
    FRunning = true;
    FWatched = FFolders;
    if (FWatched.isEmpty()) {
        const QString virtualDir = VirtualPortDirectory();
        FWatched = {QStringLiteral("/dev"), QStringLiteral("/dev/serial/by-id")};
        if (!virtualDir.isEmpty())
            FWatched << virtualDir << QDir(virtualDir).filePath(QString::fromLatin1(zorvex::ByIdFolder));
    }
    FFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (FFd < 0) {
        FFallback = new QTimer(this);
        FFallback->setInterval(1000);
        connect(FFallback, &QTimer::timeout, this, &TPortWatcher::Changed);
        FFallback->start();
        return;
    }
    Arm();
    FNotifier = new QSocketNotifier(FFd, QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, [this] {
        Drain();
        // A folder that has just appeared is watched from now on; what was
        // made in it before that is seen by the look that Changed starts.
        Arm();
        emit Changed();
    });
}

void TPortWatcher::Stop()
{
    if (!FRunning)
        return;
    FRunning = false;
    delete FNotifier;
    FNotifier = nullptr;
    delete FFallback;
    FFallback = nullptr;
    if (FFd >= 0)
        ::close(FFd);
    FFd = -1;
}

void TPortWatcher::Arm()
{
    for (const QString& folder : std::as_const(FWatched)) {
        const QString existing = NearestExisting(folder);
        if (!existing.isEmpty())
            ::inotify_add_watch(FFd, QFile::encodeName(existing).constData(), WatchMask);
    }
}

void TPortWatcher::Drain()
{
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(FFd, buffer, sizeof buffer);
        if (n > 0)
            continue;
        if (n < 0 && errno == EINTR)
            continue;
        return;
    }
}
