#include "audio/SoundDecoders.h"

#include <windows.h>

#include <cstdio>
#include <mutex>

#include "audio/AcmDecoder.h"
#include "audio/MfDecoder.h"
#include "audio/SoundDecoding.h"
#include "framework/Trace.h"

namespace audio {

namespace {

constexpr char kSpoolPattern[] = "clangster-*.spool";
// Left free on the spool's disk for everything else.
constexpr std::uint64_t kKeepFreeBytes = 64u << 20;

std::string TempFolder() {
    char folder[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathA(sizeof folder, folder);
    return n == 0 || n > MAX_PATH ? std::string() : std::string(folder, n);
}

// What the spool files of this process were promised and have not written
// yet: the disk's free space does not show it so far.
std::mutex promisesMutex;
std::uint64_t promisedBytes = 0;

// A file in the folder for temporary files that the system deletes when its
// handle is closed, even when the program is killed; shared with nobody, so
// that another board's sweep leaves it alone. Read and written at explicit
// offsets, so that any thread may read it.
class TempSpoolFile : public SpoolFile {
public:
    TempSpoolFile(HANDLE file, std::string folder) : file_(file), folder_(std::move(folder)) {}
    ~TempSpoolFile() override {
        Promise(0);
        ::CloseHandle(file_);
    }
    TempSpoolFile(const TempSpoolFile&) = delete;
    TempSpoolFile& operator=(const TempSpoolFile&) = delete;

    bool Append(const void* data, std::size_t bytes) override {
        OVERLAPPED at = Offset(end_);
        DWORD written = 0;
        if (!::WriteFile(file_, data, static_cast<DWORD>(bytes), &written, &at) || written != bytes) return false;
        end_ += bytes;
        if (promised_) {
            const std::lock_guard<std::mutex> lock(promisesMutex);
            const std::uint64_t kept = promised_ < bytes ? promised_ : bytes;
            promised_ -= kept;
            promisedBytes -= kept;
        }
        return true;
    }
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override {
        std::size_t done = 0;
        while (done < bytes) {
            OVERLAPPED at = Offset(offset + done);
            DWORD read = 0;
            if (!::ReadFile(file_, static_cast<char*>(to) + done, static_cast<DWORD>(bytes - done), &read, &at) || !read)
                break;
            done += read;
        }
        return done;
    }
    bool Promise(std::uint64_t bytes) override {
        const std::lock_guard<std::mutex> lock(promisesMutex);
        promisedBytes -= promised_;
        promised_ = 0;
        // A disk that does not say what it has free is taken at its word when written.
        ULARGE_INTEGER free{};
        if (bytes && ::GetDiskFreeSpaceExA(folder_.c_str(), &free, nullptr, nullptr) &&
            free.QuadPart < promisedBytes + bytes + kKeepFreeBytes)
            return false;
        promised_ = bytes;
        promisedBytes += bytes;
        return true;
    }

private:
    static OVERLAPPED Offset(std::uint64_t offset) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        return at;
    }
    HANDLE file_;
    const std::string folder_;
    std::uint64_t end_ = 0;
    std::uint64_t promised_ = 0;  // guarded by promisesMutex
};

}  // namespace

std::unique_ptr<SpoolFile> MakeTempSpoolFile() {
    const std::string folder = TempFolder();
    if (folder.empty()) return nullptr;
    // The process id makes the name unique among running boards; a file of a
    // board that ended under the same id is passed over.
    static std::mutex naming;
    static unsigned next = 0;
    const std::lock_guard<std::mutex> lock(naming);
    for (int tries = 0; tries < 1000; ++tries) {
        char name[64];
        std::snprintf(name, sizeof name, "clangster-%lx-%u.spool", ::GetCurrentProcessId(), next++);
        const HANDLE file = ::CreateFileA((folder + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) return std::make_unique<TempSpoolFile>(file, folder);
        if (::GetLastError() != ERROR_FILE_EXISTS) return nullptr;
    }
    return nullptr;
}

int RemoveStaleSpoolFiles() {
    const std::string folder = TempFolder();
    if (folder.empty()) return 0;
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((folder + kSpoolPattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        // A running board's file is open and shared with nobody: its deletion fails.
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && ::DeleteFileA((folder + found.cFileName).c_str()))
            ++removed;
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return removed;
}

OpenedSound DecodeSoundFile(const std::string& path) {
    static const std::vector<DecoderOpener> decoders = {OpenMfDecoder, OpenAcmDecoder};
    return DecodeSound(path, decoders, MakeTempSpoolFile);
}

OpenedSound DecodeSoundFileHeadFirst(const std::string& path) {
    HeadFirst options;
    // The rest of a sound gives way to the heads of the sounds still to be opened.
    options.afterHead = [] { ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); };
    options.decoded = [] { fw::trace::Stamp("decoded"); };
    return DecodeSoundHeadFirst(path, {OpenMfDecoder, OpenAcmDecoder}, MakeTempSpoolFile, options);
}

}  // namespace audio
