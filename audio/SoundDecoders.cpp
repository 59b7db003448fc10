#include "audio/SoundDecoders.h"

#include <windows.h>

#include "audio/AcmDecoder.h"
#include "audio/MfDecoder.h"
#include "audio/SoundDecoding.h"

namespace audio {

namespace {

// A file in the folder for temporary files that the system deletes when its
// handle is closed; read and written at explicit offsets, so that any thread
// may read it.
class TempSpoolFile : public SpoolFile {
public:
    explicit TempSpoolFile(HANDLE file) : file_(file) {}
    ~TempSpoolFile() override { ::CloseHandle(file_); }
    TempSpoolFile(const TempSpoolFile&) = delete;
    TempSpoolFile& operator=(const TempSpoolFile&) = delete;

    bool Append(const void* data, std::size_t bytes) override {
        OVERLAPPED at = Offset(end_);
        DWORD written = 0;
        if (!::WriteFile(file_, data, static_cast<DWORD>(bytes), &written, &at) || written != bytes) return false;
        end_ += bytes;
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

private:
    static OVERLAPPED Offset(std::uint64_t offset) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        return at;
    }
    HANDLE file_;
    std::uint64_t end_ = 0;
};

}  // namespace

std::unique_ptr<SpoolFile> MakeTempSpoolFile() {
    char folder[MAX_PATH + 1] = {}, name[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathA(sizeof folder, folder);
    if (n == 0 || n > MAX_PATH || !::GetTempFileNameA(folder, "cls", 0, name)) return nullptr;
    const HANDLE file = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ::DeleteFileA(name);
        return nullptr;
    }
    return std::make_unique<TempSpoolFile>(file);
}

OpenedSound DecodeSoundFile(const std::string& path) {
    static const std::vector<DecoderOpener> decoders = {OpenMfDecoder, OpenAcmDecoder};
    return DecodeSound(path, decoders, MakeTempSpoolFile);
}

}  // namespace audio
