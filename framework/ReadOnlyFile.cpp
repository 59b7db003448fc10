#include "framework/ReadOnlyFile.h"

#include <algorithm>
#include <cerrno>

#include "framework/FileStatus.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fw {

std::unique_ptr<ReadOnlyFile> ReadOnlyFile::Open(const std::string& path) {
    // Only a regular file: a pipe or a device name could block the open.
    std::uint64_t size = 0;
    if (!QueryFileSize(path, size)) return nullptr;
#ifdef _WIN32
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER opened{};
    if (!::GetFileSizeEx(file, &opened)) {
        ::CloseHandle(file);
        return nullptr;
    }
    return std::unique_ptr<ReadOnlyFile>(
        new ReadOnlyFile(reinterpret_cast<std::intptr_t>(file), static_cast<std::uint64_t>(opened.QuadPart)));
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::unique_ptr<ReadOnlyFile>(new ReadOnlyFile(fd, size));
#endif
}

ReadOnlyFile::~ReadOnlyFile() {
#ifdef _WIN32
    ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
#else
    ::close(static_cast<int>(handle_));
#endif
}

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, void* to, std::size_t bytes) {
    std::size_t done = 0;
    while (done < bytes) {
        // Pieces of at most 16 MB: a count the system takes on every version.
        const std::size_t want = std::min<std::size_t>(bytes - done, 16u << 20);
        const std::uint64_t at = offset + done;
#ifdef _WIN32
        // An explicit offset in each call: no shared file pointer between threads.
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD got = 0;
        if (!::ReadFile(reinterpret_cast<HANDLE>(handle_), static_cast<char*>(to) + done, static_cast<DWORD>(want),
                        &got, &where))
            break;
#else
        const ssize_t got = ::pread(static_cast<int>(handle_), static_cast<char*>(to) + done, want,
                                    static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
#endif
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace fw
