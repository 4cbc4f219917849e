#pragma once

#include <QString>

namespace sim {

// Publishes target as dir/vsimN, the first N whose name is free or whose link
// leads nowhere (a simulator that died without cleaning up) or to target itself.
// Creates dir when missing. Returns the link's path, or empty with errno set.
QString PublishLink(const QString& dir, const QString& target, const QString& stem = "vsim");
// Removes link only while it still leads to target: another simulator may have
// taken the name over meanwhile.
void UnpublishLink(const QString& link, const QString& target);

// Publishes target as dir/name exactly, as a stable (by-id) link: taken over
// only from a link that leads nowhere or to target. Creates dir when missing.
// Returns the link's path, or empty with errno set (EEXIST: another live one).
QString PublishStableLink(const QString& dir, const QString& name, const QString& target);

} // namespace sim
