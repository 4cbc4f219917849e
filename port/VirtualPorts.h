#pragma once

// The simulator publishes its pseudo-terminal as a link in this directory, and
// the port list shows every link found there next to the machine's real ports.
namespace zorvex {
inline constexpr const char* VirtualPortDir = "/tmp/zorvex-ports";
} // namespace zorvex
