#pragma once
// The sound card: the DirectSound device sounds are played on, chosen by
// the user's sound output.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/SoundApi.h"
#include "audio/SoundPrefetch.h"
#include "framework/Com.h"

namespace audio {

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
