#pragma once
// Writing a file so that a failure never costs the old one: the new content
// goes to a fresh file beside it, which takes the old file's place in one
// step once it is complete.
#include <functional>
#include <string>

namespace fw {

class FileReplacement {
public:
    FileReplacement() = default;
    // Removes a fresh file that did not take the old one's place.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Chooses where the new content of `path` goes: a fresh file beside the
    // file the path finally names (a symbolic link is followed and stays a
    // link). Only a folder that refuses new files for want of rights, while
    // its file exists and may be written, has the file written in place; a
    // device is written as it is. Returns 0, or an errno value when nothing
    // may be written, the old file untouched: a read-only file, a full disk,
    // a name too long for the fresh file, ...
    int Begin(const std::string& path);
    const std::string& writePath() const { return write_; }
    // Once the content is written and closed, puts it in the old file's
    // place with the old file's attributes. Returns 0 or an errno value.
    int Commit();

private:
    std::string target_, temp_, write_;
    bool hadTarget_ = false;
};

// Calls `attempt` (0 or an errno value) until it succeeds or fails for good.
// A file that is held (EACCES, EBUSY), as a virus scanner or an indexer does
// for a moment after a file is written, is tried again for about a second,
// with `pause` between attempts.
constexpr int kReplaceAttempts = 20;
int RetryWhileHeld(const std::function<int()>& attempt, const std::function<void()>& pause);

// The folder part of a path with its separator, "" for a bare name; a
// double-byte character is never cut.
std::string FolderOf(const std::string& path);

}  // namespace fw
