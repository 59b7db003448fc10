#pragma once
// One WAV file held whole in one DirectSound secondary buffer.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <string>

#include "audio/SoundApi.h"
#include "audio/SoundPrefetch.h"
#include "framework/Com.h"

namespace audio {

class CSoundBuffer : public ISoundBuffer {
public:
    enum Reporting { ShowFailures, Quiet };
    // Reads path's format and sound (audio/WavFormat.h) into a new buffer on device.
    // Failures after the file was read show an "Error - DS - ..." message,
    // unless the caller makes the buffer again itself when this one fails.
    CSoundBuffer(const std::string& path, IDirectSound* device, DWORD flags, Reporting reporting = ShowFailures);
    ~CSoundBuffer() override;  // stops a playing buffer before releasing it
    CSoundBuffer(const CSoundBuffer&) = delete;
    CSoundBuffer& operator=(const CSoundBuffer&) = delete;

    bool IsLoaded() const override { return loaded; }
    Result Play(bool looping) override;
    Result Stop() override;
    Result SetCurrentPosition(std::uint32_t bytes) override;
    Result GetCurrentPosition(std::uint32_t& playCursor) override;
    Result GetStatus(std::uint32_t& status) override;
    Result SetVolume(std::int32_t hundredthsDb) override;
    Result GetVolume(std::int32_t& hundredthsDb) override;
    Result GetAvgBytesPerSec(std::uint32_t& bytesPerSec) override;
    Result GetBlockAlign(std::uint32_t& bytes) override;

    // Stops the buffer when it plays; false (after a message) when that failed.
    bool StopIfPlaying();

    fw::ComPtr<IDirectSoundBuffer> buffer;
    bool loaded = false;
};

// The DirectSound device for `output` (a device's GUID as text; empty,
// malformed or no longer present gives the default device), or null.
fw::ComPtr<IDirectSound> CreateDirectSound(const std::string& output);

// The sound card: one DirectSound device for the whole program.
class DirectSoundDevice : public ISoundDevice {
public:
    // Creates the device with the normal cooperative level for window,
    // reporting failures in message boxes. Null when no device could be made.
    // output: a device's GUID as text; empty, malformed or no longer present
    // gives the default device without a message.
    // A prefetch started for the same output lends its device, and the
    // buffers it made, until EndPrefetch().
    static std::unique_ptr<DirectSoundDevice> Create(HWND window, const std::string& output = "",
                                                     std::unique_ptr<SoundPrefetch> prefetch = nullptr);
    ~DirectSoundDevice() override;

    std::unique_ptr<ISoundBuffer> CreateBuffer(const std::string& path, std::uint32_t flags) override;
    // Releases what the prefetch made and the board did not take.
    void EndPrefetch();
    IDirectSound* get() const { return device_.get(); }

private:
    std::unique_ptr<SoundPrefetch> prefetch_;
    fw::ComPtr<IDirectSound> device_;
};

}  // namespace audio
