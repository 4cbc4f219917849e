#pragma once

// The simulator publishes its pseudo-terminal as a link in this directory, and
// the port list shows every link found there next to the machine's real ports.
// Its by-id folder holds a link that keeps its name when the simulator plays an
// unplug, as /dev/serial/by-id does for a USB adapter.
namespace zorvex {
inline constexpr const char* VirtualPortDir = "/tmp/zorvex-ports";
inline constexpr const char* ByIdFolder = "by-id";
} // namespace zorvex
