#include "framework/FileReplace.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "framework/AnsiText.h"
#include "framework/FileStatus.h"

#ifdef _WIN32
#include <windows.h>

#include "framework/Handles.h"
#else
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fw {

std::string FolderOf(const std::string& path) {
#ifdef _WIN32
    const auto sep = FindLastOfAnsi(path, "\\/:");
#else
    const auto sep = path.rfind('/');
#endif
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

namespace {
bool Exists(const std::string& path) {
    std::uint64_t size = 0;
    return QueryFileSize(path, size);
}

#ifdef _WIN32
int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED: case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED: case ERROR_UNABLE_TO_MOVE_REPLACEMENT: return EACCES;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: case ERROR_CANNOT_MAKE: return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE: case ERROR_BUFFER_OVERFLOW: return ENAMETOOLONG;
    case ERROR_FILE_EXISTS: case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_WRITE_PROTECT: return EROFS;
    default: return EIO;
    }
}
int LastErrno() { return ErrnoOf(::GetLastError()); }

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string FinalTarget(const std::string& path) {
    // Windows Vista and later; before them a file cannot be a link.
    using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
    static const auto finalPath = reinterpret_cast<FinalPathFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    if (!finalPath) return path;
    const UniqueKernelHandle file(
        ::CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return path;
    char name[MAX_PATH + 8];
    const DWORD n = finalPath(file.get(), name, sizeof name, 0);
    if (n == 0 || n >= sizeof name) return path;
    const std::string final(name, n);
    if (final.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\\\" + final.substr(8);
    return final.compare(0, 4, "\\\\?\\") == 0 ? final.substr(4) : final;
}

int CreateTempBeside(const std::string& path, std::string& temp) {
    // Named here rather than by GetTempFileNameA, which does not report
    // every failure to create the file.
    const DWORD start = ::GetTickCount();
    for (DWORD i = 0; i < 100; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "~cls%04lx.tmp", static_cast<unsigned long>((start + i) & 0xFFFF));
        temp = FolderOf(path) + name;
        if (temp.size() >= MAX_PATH) return ENAMETOOLONG;
        if (UniqueKernelHandle(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL, nullptr)))
            return 0;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_SHARING_VIOLATION) return ErrnoOf(error);
    }
    return EEXIST;
}

bool IsReadOnly(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool CanWrite(const std::string& path) {
    return static_cast<bool>(
        UniqueKernelHandle(::CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr)));
}

void KeepAttributes(const std::string& from, const std::string& to) {
    // ReplaceFileA carries them over on Windows, not under every emulation.
    const DWORD kept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = ::GetFileAttributesA(from.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kept))
        ::SetFileAttributesA(to.c_str(), attributes & kept);
}

int ReplaceOnce(const std::string& temp, const std::string& target) {
    if (::GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES && ::GetLastError() == ERROR_FILE_NOT_FOUND)
        return ::MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : LastErrno();
    // A file another program holds unshared is not handed to ReplaceFileA,
    // which may leave a file of its own behind when it fails.
    const HANDLE held = ::CreateFileA(target.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) return LastErrno();
    ::CloseHandle(held);
    return ::ReplaceFileA(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
               ? 0
               : LastErrno();
}
#else
std::string FinalTarget(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    const std::string final = real ? real : path;
    std::free(real);
    return final;
}

int CreateTempBeside(const std::string& path, std::string& temp) {
    temp = FolderOf(path) + ".clangster-XXXXXX";
    const int fd = ::mkstemp(&temp[0]);
    if (fd < 0) return errno ? errno : EACCES;
    ::close(fd);
    return 0;
}

bool IsReadOnly(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

bool CanWrite(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

void KeepAttributes(const std::string& from, const std::string& to) {
    struct stat st;
    if (::stat(from.c_str(), &st) == 0) ::chmod(to.c_str(), st.st_mode & 07777);
}

int ReplaceOnce(const std::string& temp, const std::string& target) {
    return std::rename(temp.c_str(), target.c_str()) == 0 ? 0 : (errno ? errno : EIO);
}
#endif
}  // namespace

int RetryWhileHeld(const std::function<int()>& attempt, const std::function<void()>& pause) {
    int error = attempt();
    for (int i = 1; i < kReplaceAttempts && (error == EACCES || error == EBUSY); ++i) {
        pause();
        error = attempt();
    }
    return error;
}

int FileReplacement::Begin(const std::string& path) {
    write_ = path;
    // Only a file, or nothing, can be replaced: a device or anything else
    // that is not a plain file is written as it is.
    if (!IsFileOrMissing(path)) return 0;
    target_ = FinalTarget(path);
    hadTarget_ = Exists(target_);
    if (hadTarget_ && IsReadOnly(target_)) return EACCES;
    const int error = CreateTempBeside(target_, temp_);
    if (error == 0) {
        write_ = temp_;
        return 0;
    }
    temp_.clear();
    // A folder that lets no one add a file may still let its file be written;
    // any other failure would cost the old file on the way.
    const bool refusedForRights = error == EACCES || error == EPERM;
    if (refusedForRights && hadTarget_ && CanWrite(target_)) {
        write_ = target_;
        return 0;
    }
    return error;
}

int FileReplacement::Commit() {
    if (temp_.empty()) return 0;
    KeepAttributes(target_, temp_);
    const int error = RetryWhileHeld([this] { return ReplaceOnce(temp_, target_); },
                                     [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); });
    if (error == 0) temp_.clear();
    return error;
}

FileReplacement::~FileReplacement() {
    // When the old file is already gone, the fresh one holds the only copy.
    if (!temp_.empty() && (!hadTarget_ || Exists(target_))) std::remove(temp_.c_str());
}

}  // namespace fw
