#pragma once
// A file held open for reading at any offset, from any thread at once. On
// Windows others may rename, move or delete it while it is held, but nobody
// may write it: a sound that plays from its file never has another
// recording spliced in under it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace fw {

class ReadOnlyFile {
public:
    // Null when the path names no regular file or it cannot be opened (on
    // Windows also while another program holds it open for writing).
    static std::unique_ptr<ReadOnlyFile> Open(const std::string& path);
    ~ReadOnlyFile();  // closes the file
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // The size when it was opened.
    std::uint64_t Size() const { return size_; }
    // Reads up to `bytes` at `offset`; fewer only at the end or on a read
    // error (a share that went away).
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes);

private:
    ReadOnlyFile(std::intptr_t handle, std::uint64_t size) : handle_(handle), size_(size) {}

    const std::intptr_t handle_;  // a HANDLE on Windows, a descriptor elsewhere
    const std::uint64_t size_;
};

}  // namespace fw
