#pragma once

#include <QObject>
#include <QStringList>

class QSocketNotifier;
class QTimer;

// Tells when ports may have come or gone, from the kernel's notifications
// (inotify) on the folders where device nodes and port links appear: /dev,
// /dev/serial/by-id, the virtual port directory and its by-id folder. A
// folder that does not exist yet (udev makes /dev/serial with the first USB
// adapter) is watched through its nearest parent until it appears. Only
// without inotify does it fall back to a look once a second.
class TPortWatcher final : public QObject {
    Q_OBJECT
public:
    // Empty folders: the ones above, the virtual directory as it is at Start.
    explicit TPortWatcher(QStringList folders = {}, QObject* parent = nullptr);
    ~TPortWatcher() override;

    void Start();
    void Stop();
    bool Running() const { return FRunning; }

signals:
    // Something was created, renamed or changed its access in a watched folder.
    void Changed();

private:
    void Arm();
    void Drain();

    QStringList FFolders;
    QStringList FWatched;
    int FFd = -1;
    bool FRunning = false;
    QSocketNotifier* FNotifier = nullptr;
    QTimer* FFallback = nullptr;
};
