#pragma once
// Helpers shared by the Win32 tests: temporary WAV files, recorded message
// boxes and a short message pump.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace wintest {

// The whole content of a file, laid out by the caller.
struct FileBytes {
    std::vector<std::uint8_t> bytes;
};

// A canonical 44-byte-header PCM WAV in the temp folder, removed on destruction.
class TempWav {
public:
    TempWav(const std::string& name, const FileBytes& file);
    TempWav(const std::string& name, const std::vector<std::uint8_t>& data, int channels = 2,
            std::uint32_t rate = 44100, int bits = 16, std::uint32_t declaredBytes = UINT32_MAX);
    ~TempWav();
    TempWav(const TempWav&) = delete;
    TempWav& operator=(const TempWav&) = delete;
    const std::string& path() const { return path_; }

private:
    void Write(const std::vector<std::uint8_t>& file);
    std::string path_;
};

// A 16-bit stereo sine of the given length.
std::vector<std::uint8_t> Tone(double seconds, double hz = 440.0, std::uint32_t rate = 44100);

std::string TempPath(const std::string& name);

// A sound Debian's encoders made for this run (tests/common/make-test-sounds.sh).
std::string TestSound(const std::string& name);

// Records every message box text instead of showing it while alive.
class RecordedMessages {
public:
    RecordedMessages();
    ~RecordedMessages();
    const std::vector<std::string>& texts() const;
    void clear();
    static int answer;  // what a recorded message box returns
};

// Pumps this thread's messages for the given time.
void Pump(DWORD milliseconds);
// Pumps them until the condition holds (true) or the time is up (false).
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Polls `condition` until it holds, for up to `timeoutMs`; whether it held.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 20000) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(10);
    }
    return true;
}

}  // namespace wintest
