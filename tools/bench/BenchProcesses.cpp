#include "BenchProcesses.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

#include "BenchStats.h"
#include "Harness.h"

namespace bench {

std::optional<pid_t> FindProcess(const std::string& comm, bool prefixOnly) {
  std::optional<pid_t> found;
  DIR* proc = opendir("/proc");
  if (!proc) return found;
  while (dirent* e = readdir(proc)) {
    if (!std::isdigit(static_cast<unsigned char>(e->d_name[0]))) continue;
    std::string name = e2e::ReadWholeFile(std::string("/proc/") + e->d_name + "/comm");
    if (!name.empty() && name.back() == '\n') name.pop_back();
    const bool match = prefixOnly ? name.rfind(comm, 0) == 0 : name == comm.substr(0, 15);
    if (match && e2e::OfThisWinePrefix(std::atoi(e->d_name))) found = std::atoi(e->d_name);
  }
  closedir(proc);
  return found;
}

double CpuSeconds(pid_t pid) {
  const std::string base = "/proc/" + std::to_string(pid);
  uint64_t nanos = 0;
  bool any = false;
  if (DIR* tasks = opendir((base + "/task").c_str())) {
    while (dirent* e = readdir(tasks)) {
      if (e->d_name[0] == '.') continue;
      if (auto n = RunNanosFromSchedstat(e2e::ReadWholeFile(base + "/task/" + e->d_name + "/schedstat"))) {
        nanos += *n;
        any = true;
      }
    }
    closedir(tasks);
  }
  if (any) return static_cast<double>(nanos) * 1e-9;
  const auto ticks = CpuTicksFromStat(e2e::ReadWholeFile(base + "/stat"));
  return ticks ? static_cast<double>(*ticks) / static_cast<double>(sysconf(_SC_CLK_TCK)) : 0;
}

}  // namespace bench
