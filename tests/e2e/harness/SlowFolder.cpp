#include "SlowFolder.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace e2e {

namespace {
bool Mounted(const std::string& path) {
  std::istringstream mounts(ReadWholeFile("/proc/self/mounts"));
  std::string device, at;
  std::string line;
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    if (fields >> device >> at && at == path) return true;
  }
  return false;
}
}  // namespace

bool SlowFolder::mount(const std::string& source, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (dir_.empty()) {
    char pattern[] = "/tmp/clangster-slow-XXXXXX";
    if (!mkdtemp(pattern)) return fail("no temporary folder");
    dir_ = pattern;
    mount_ = dir_ + "/mnt";
    control_ = dir_ + "/control";
    ::mkdir(mount_.c_str(), 0755);
    writeRules();
  }
  // Ends by itself after 15 minutes, should the test never unmount it.
  fs_ = Process::Start({"/usr/bin/python3", SourceDir() + "/tests/e2e/harness/slowfs.py", source, mount_, control_,
                        "900"});
  if (!fs_) return fail("slowfs.py did not start");
  if (!WaitUntil([&] { return Mounted(mount_) || !fs_->running(); }, 20) || !Mounted(mount_))
    return fail("no FUSE mount (python3-fusepy, fuse3, root): " + fs_->endReport());
  return true;
}

void SlowFolder::delay(const std::string& name, double seconds) {
  rules_[name] = std::to_string(seconds);
  writeRules();
}

void SlowFolder::hold(const std::string& name) {
  rules_[name] = "hold";
  writeRules();
}

void SlowFolder::release(const std::string& name) {
  rules_.erase(name);
  writeRules();
}

void SlowFolder::drop() {
  if (fs_) fs_->kill();
  fs_.reset();
  RunCommand({"fusermount3", "-u", "-z", mount_});
}

void SlowFolder::writeRules() {
  // Whole or not at all: the file system reads it before every read.
  const std::string fresh = control_ + ".new";
  {
    std::ofstream out(fresh);
    for (const auto& [name, rule] : rules_) out << name << " " << rule << "\n";
  }
  std::rename(fresh.c_str(), control_.c_str());
}

SlowFolder::~SlowFolder() {
  if (dir_.empty()) return;
  drop();
  ::rmdir(mount_.c_str());
  std::remove(control_.c_str());
  ::rmdir(dir_.c_str());
}

}  // namespace e2e
