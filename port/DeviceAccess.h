#pragma once

#include <QString>

// Why a device node cannot be had: who else holds it, and what a user who may
// not open it has to do. Read from /proc, the node and the user databases.

// The other processes that hold device open, as "ModemManager (PID 812)",
// joined by ", " in the order of their PIDs; empty when /proc tells none.
QString DeviceHolders(const QString& device);
// The same for the processes that hold a lock (flock) on device, from /proc/locks.
QString DeviceLockHolders(const QString& device);

// What decides whether a user may open a device node.
struct TAccessFacts {
    QString Port;   // the name picked
    QString Device; // the node, links resolved
    QString User;
    QString Owner;                // of the node
    QString Group;                // of the node
    bool GroupMayUse = false;     // the group may read and write it
    bool InGroup = false;         // the user is a member by the group database
    bool SessionHasGroup = false; // this process already runs with that group
};
TAccessFacts AccessFacts(const QString& port, const QString& device);
// The message for a refused permission: join the group and log in again, log
// in again, or ask the administrator.
QString AccessDeniedMessage(const TAccessFacts& facts);

// Asks the driver to hand each received character on at once (ASYNC_LOW_LATENCY;
// a USB adapter's latency timer goes from 16 ms to 1 ms). False when the driver
// has no such setting or refuses it, which is no fault.
bool RequestLowLatency(int fd);

namespace zorvex::detail {
// DeviceHolders and DeviceLockHolders with procRoot standing for /proc.
QString DeviceHolders(const QString& procRoot, const QString& device);
QString DeviceLockHolders(const QString& procRoot, const QString& device);
} // namespace zorvex::detail
