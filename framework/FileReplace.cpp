#include "framework/FileReplace.h"

#include <cerrno>
#include <cstdio>

#include "framework/FileStatus.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#include <unistd.h>
#endif

namespace fw {

namespace {
std::string FolderOf(const std::string& path) {
#ifdef _WIN32
    const auto sep = path.find_last_of("\\/");
#else
    const auto sep = path.rfind('/');
#endif
    return sep == std::string::npos ? std::string(".") : path.substr(0, sep + 1);
}

#ifdef _WIN32
int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED: case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_WRITE_PROTECT: return EROFS;
    default: return EIO;
    }
}
#endif
}  // namespace

bool CreateSiblingTemp(const std::string& path, std::string& tempPath, int& error) {
    error = 0;
    // Only a file, or nothing, can be replaced: a device or anything else
    // that is not a plain file is written as it is.
    if (!IsFileOrMissing(path)) return false;
#ifdef _WIN32
    char name[MAX_PATH];
    if (!::GetTempFileNameA(FolderOf(path).c_str(), "cls", 0, name)) {
        error = ErrnoOf(::GetLastError());
        return false;
    }
    tempPath = name;
#else
    std::string pattern = FolderOf(path) + ".clangster-XXXXXX";
    const int fd = ::mkstemp(&pattern[0]);
    if (fd < 0) {
        error = errno ? errno : EACCES;
        return false;
    }
    ::close(fd);
    tempPath = pattern;
#endif
    error = 0;
    return true;
}

int ReplaceWith(const std::string& tempPath, const std::string& path) {
#ifdef _WIN32
    if (::MoveFileExA(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return ErrnoOf(::GetLastError());
#else
    return std::rename(tempPath.c_str(), path.c_str()) == 0 ? 0 : (errno ? errno : EIO);
#endif
}

void RemoveFile(const std::string& path) { std::remove(path.c_str()); }

}  // namespace fw
