#pragma once

#include <QByteArray>
#include <QString>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

// Another process that has a device open and locked until it is released, as
// a second terminal program or a modem manager probing a new port.
class LockHolder {
public:
    explicit LockHolder(const QString& device)
    {
        const QByteArray path = device.toLocal8Bit(); // nothing is allocated after the fork
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        Pid = ::fork();
        if (Pid == 0) {
            ::flock(::open(path.constData(), O_RDWR | O_NOCTTY), LOCK_EX);
            [[maybe_unused]] const ssize_t n = ::write(ready[1], "x", 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char c;
        Locked = Pid > 0 && ::read(ready[0], &c, 1) == 1;
        ::close(ready[0]);
    }
    ~LockHolder() { Release(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    void Release()
    {
        if (Pid <= 0)
            return;
        ::kill(Pid, SIGKILL);
        ::waitpid(Pid, nullptr, 0);
        Pid = -1;
    }

    pid_t Pid = -1;
    bool Locked = false;
};
