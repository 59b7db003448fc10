#pragma once
// The sound card: the DirectSound device sounds are played on, chosen by
// the user's sound output.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/LoadQueue.h"
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
// onDefaultInstead: set when `output` could not be had and the default was made.
fw::ComPtr<IDirectSound> CreateDirectSound(const std::string& output, OutputChoice choice,
                                           bool* onDefaultInstead = nullptr);

// The sound card: one DirectSound device for the whole program.
class DirectSoundDevice : public ISoundDevice {
public:
    // Creates the device for output with the normal cooperative level for
    // window. Null when no device could be made. error: what went wrong
    // (Create, or SetCooperativeLevel with a device all the same), or None.
    // A prefetch started for the same output lends its device, and the
    // buffers it made, until EndPrefetch().
    // loadedMessage: posted to window whenever a load has finished (0: none).
    static std::unique_ptr<DirectSoundDevice> Create(HWND window, const std::string& output, OutputChoice choice,
                                                     SoundError& error,
                                                     std::unique_ptr<SoundPrefetch> prefetch = nullptr,
                                                     UINT loadedMessage = 0);
    ~DirectSoundDevice() override;

    std::unique_ptr<ISoundBuffer> CreateBuffer(const std::string& path, std::uint32_t flags) override;
    std::unique_ptr<ISoundBuffer> CopyBuffer(ISoundBuffer& source) override;
    std::unique_ptr<ISoundBuffer> FollowBuffer(ISoundBuffer& source) override;
    // Loads run on a worker per core; `message` goes to the window each time
    // one has finished, for the board to take it (Notify sets them).
    void BeginLoad(std::uint64_t ticket, const std::string& path, std::uint32_t flags) override;
    void CancelLoad(std::uint64_t ticket) override {
        if (loads_) loads_->Cancel(ticket);
    }
    std::vector<LoadedSound> TakeLoaded() override {
        return loads_ ? loads_->TakeFinished() : std::vector<LoadedSound>{};
    }
    // Releases, off the window's thread, what the start-up prefetch made and the board did not take.
    void EndReadAhead() override;
    // The device's primary buffer plays from its start: once its cursor
    // stands still (or its calls fail), the device plays no more.
    bool Lost() override;
    bool OnDefaultInstead() const override { return onDefaultInstead_; }
    IDirectSound* get() const { return device_.get(); }

private:
    void StartProbe();
    // The loaders, started with the first load: a device that only plays
    // what others loaded (a monitor) never needs their threads.
    LoadQueue& Loads();

    HWND window_ = nullptr;
    UINT loadedMessage_ = 0;
    // Shared with the loads that may take from it; the last of them releases it.
    std::shared_ptr<SoundPrefetch> prefetch_;
    fw::ComPtr<IDirectSound> device_;
    bool onDefaultInstead_ = false;
    fw::ComPtr<IDirectSoundBuffer> probe_;  // null when it could not be made: the device is never taken for lost
    DWORD probeCursor_ = 0, probeMovedAt_ = 0;
    std::unique_ptr<LoadQueue> loads_;  // last: its jobs use the device, and end first
};

}  // namespace audio
