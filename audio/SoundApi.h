#pragma once
// The narrow sound interface the board plays through. The Windows build
// implements it with DirectSound (SoundBuffer.h); host tests use a fake.
// Results follow the HRESULT convention: negative means the call failed.
#include <cstdint>
#include <memory>
#include <string>

namespace audio {

using Result = long;
inline bool Succeeded(Result r) { return r >= 0; }

constexpr std::uint32_t kStatusPlaying = 1;   // DSBSTATUS_PLAYING
constexpr std::uint32_t kBufferFlags = 0x80E0;  // CTRLFREQUENCY|CTRLPAN|CTRLVOLUME|GLOBALFOCUS
constexpr std::int32_t kVolumeFull = 0;
constexpr std::int32_t kVolumeSilent = -5000;   // hundredths of a decibel

// One sound held whole in memory.
class ISoundBuffer {
public:
    virtual ~ISoundBuffer() = default;
    virtual bool IsLoaded() const = 0;
    virtual Result Play(bool looping) = 0;
    virtual Result Stop() = 0;
    virtual Result SetCurrentPosition(std::uint32_t bytes) = 0;
    virtual Result GetCurrentPosition(std::uint32_t& playCursor) = 0;
    virtual Result GetStatus(std::uint32_t& status) = 0;
    virtual Result SetVolume(std::int32_t hundredthsDb) = 0;
    virtual Result GetVolume(std::int32_t& hundredthsDb) = 0;
    // Average bytes per second of the buffer's own format, as read back from it.
    virtual Result GetAvgBytesPerSec(std::uint32_t& bytesPerSec) = 0;
    // Bytes per sample frame of the buffer's format: a play position that is
    // not a multiple of it falls inside a frame.
    virtual Result GetBlockAlign(std::uint32_t& bytes) = 0;
};

class ISoundDevice {
public:
    virtual ~ISoundDevice() = default;
    // Reads a WAV file into a new buffer. A file that cannot be read gives a
    // buffer whose IsLoaded() is false (after the buffer reported why).
    virtual std::unique_ptr<ISoundBuffer> CreateBuffer(const std::string& path,
                                                       std::uint32_t flags) = 0;
};

}  // namespace audio
