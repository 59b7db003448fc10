#pragma once
// One sound held whole in one DirectSound secondary buffer.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
#include <mmreg.h>

#include <string>

#include "audio/PcmSource.h"
#include "audio/SoundApi.h"
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


}  // namespace audio
