// The processes a benchmark measures: found in /proc by name, and their CPU
// time.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace bench {

// The process of our Wine prefix whose command name (at most 15 characters)
// is `comm`, or `comm` with a suffix when `prefixOnly` (wineserver32).
std::optional<pid_t> FindProcess(const std::string& comm, bool prefixOnly = false);

// CPU time of all threads of a process, in seconds; exact where the kernel
// keeps schedstat, else from /proc/PID/stat in clock ticks.
double CpuSeconds(pid_t pid);

}  // namespace bench
