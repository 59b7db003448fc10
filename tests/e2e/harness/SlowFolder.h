// A folder whose files are read through a FUSE mount that answers late on
// demand (slowfs.py, Debian's python3-fusepy and fuse3; needs root): a disk
// that spun down, a USB stick, a network share.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "Harness.h"

namespace e2e {

class SlowFolder {
 public:
  SlowFolder() = default;
  ~SlowFolder();  // unmounts and removes its folders
  SlowFolder(const SlowFolder&) = delete;
  SlowFolder& operator=(const SlowFolder&) = delete;

  // Shows the files of `source` under the mount (again at the same place
  // after drop()); false with a reason.
  bool mount(const std::string& source, std::string* error = nullptr);
  // The Linux path of a file of the source under the mount.
  std::string path(const std::string& name) const { return mount_ + "/" + name; }
  // Every read of `name` ("*": of every file) answers `seconds` late.
  void delay(const std::string& name, double seconds);
  // Reads of `name` wait until it is released.
  void hold(const std::string& name);
  void release(const std::string& name);
  // The share goes away: the file system ends, and a handle on one of its
  // files reads nothing ever again.
  void drop();

 private:
  void writeRules();

  std::string dir_, mount_, control_;
  std::map<std::string, std::string> rules_;
  std::unique_ptr<Process> fs_;
};

}  // namespace e2e
