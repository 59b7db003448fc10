#pragma once
// One sound held whole in one DirectSound secondary buffer.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
#include <mmreg.h>

#include <string>

#include "audio/PcmSource.h"
#include "audio/SoundApi.h"
#include "audio/SoundPrefetch.h"
#include "framework/Com.h"

namespace audio {

class CSoundBuffer : public ISoundBuffer {
public:
    // Reads path's sound into a new buffer on device; LoadError() says what failed.
    CSoundBuffer(const std::string& path, IDirectSound* device, DWORD flags);
    // The whole of a sound's samples in a new buffer on device.
    CSoundBuffer(PcmSource& source, IDirectSound* device, DWORD flags);
    // The format, flags and samples of a loaded buffer, in a new buffer on device.
    CSoundBuffer(const CSoundBuffer& source, IDirectSound* device);
    ~CSoundBuffer() override;  // stops a playing buffer, quietly, before releasing it
    CSoundBuffer(const CSoundBuffer&) = delete;
    CSoundBuffer& operator=(const CSoundBuffer&) = delete;

    SoundError LoadError() const override { return error_; }
    Result Play(bool looping) override;
    Result Stop() override;
    Result SetCurrentPosition(std::uint32_t bytes) override;
    Result GetCurrentPosition(std::uint32_t& playCursor) override;
    Result GetStatus(std::uint32_t& status) override;
    Result SetVolume(std::int32_t hundredthsDb) override;
    Result GetVolume(std::int32_t& hundredthsDb) override;
    Result GetAvgBytesPerSec(std::uint32_t& bytesPerSec) override;
    Result GetBlockAlign(std::uint32_t& bytes) override;
    std::uint64_t LengthBytes() const override { return length_; }

    fw::ComPtr<IDirectSoundBuffer> buffer;

private:
    void Fill(PcmSource& source, IDirectSound* device);

    SoundError error_ = SoundError::Unreadable;
    DWORD flags_ = 0;
    std::uint64_t length_ = 0;
};

// The wave format DirectSound is given: the 16-byte PCM form for 8 and 16
// bits, as the program always gave it; the extensible form for deeper
// samples, which Windows only accepts that way.
void DescribeFormat(const PcmLayout& layout, WAVEFORMATEXTENSIBLE& format);
// A buffer's format, with room for the extensible form, which a deep-sample
// buffer reports.
HRESULT ReadFormat(IDirectSoundBuffer* buffer, WAVEFORMATEXTENSIBLE& format);
// A buffer's volume and the parts of its format the board asks for, as the
// sound interface gives them; shared by held and streamed sounds.
HRESULT ReadVolume(IDirectSoundBuffer* buffer, std::int32_t& hundredthsDb);
HRESULT ReadBytesPerSec(IDirectSoundBuffer* buffer, std::uint32_t& bytesPerSec);
HRESULT ReadBlockAlign(IDirectSoundBuffer* buffer, std::uint32_t& bytes);

// Which device an output's text stands for.
enum class OutputChoice {
    OrDefault,  // that device, or the system's default when it cannot be had (the stored choice at start-up)
    Exactly,    // that device or none (a choice the user just made)
};

// The DirectSound device for `output` (a device's GUID as text; empty for
// the system's default device), or null.
fw::ComPtr<IDirectSound> CreateDirectSound(const std::string& output, OutputChoice choice);

// The sound card: one DirectSound device for the whole program.
class DirectSoundDevice : public ISoundDevice {
public:
    // Creates the device for output with the normal cooperative level for
    // window. Null when no device could be made. error: what went wrong
    // (Create, or SetCooperativeLevel with a device all the same), or None.
    // A prefetch started for the same output lends its device, and the
    // buffers it made, until EndPrefetch().
    static std::unique_ptr<DirectSoundDevice> Create(HWND window, const std::string& output, OutputChoice choice,
                                                     SoundError& error,
                                                     std::unique_ptr<SoundPrefetch> prefetch = nullptr);
    ~DirectSoundDevice() override;

    std::unique_ptr<ISoundBuffer> CreateBuffer(const std::string& path, std::uint32_t flags) override;
    std::unique_ptr<ISoundBuffer> CopyBuffer(ISoundBuffer& source) override;
    // Releases what the prefetch made and the board did not take.
    void EndPrefetch();
    // A read-ahead on this device, unless one runs already (start-up's).
    void ReadAhead(const std::vector<std::string>& paths) override;
    void EndReadAhead() override { EndPrefetch(); }
    IDirectSound* get() const { return device_.get(); }

private:
    std::unique_ptr<SoundPrefetch> prefetch_;
    fw::ComPtr<IDirectSound> device_;
};

}  // namespace audio
