#pragma once
// Reads the sounds of the scheme the board starts with into DirectSound
// buffers on a worker thread, while the main thread builds the window. The
// board then takes each buffer as it loads that slot instead of reading the
// file again. Nothing here reports: whatever the worker could not make, the
// board makes itself the usual way and tells the user what failed.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/SoundApi.h"
#include "framework/Com.h"

namespace audio {

class SoundPrefetch {
public:
    // Starts the worker: the device for `output` (as DirectSoundDevice::Create
    // reads it), then each of `paths` in turn.
    SoundPrefetch(std::string output, std::vector<std::string> paths);
    ~SoundPrefetch();  // waits for the worker; what was not taken is released
    SoundPrefetch(const SoundPrefetch&) = delete;
    SoundPrefetch& operator=(const SoundPrefetch&) = delete;

    // The device made for `output`, once; null when it was made for another
    // output or could not be made.
    fw::ComPtr<IDirectSound> TakeDevice(const std::string& output);
    // The buffer read from `path` with `flags`, once, waiting until the worker
    // has come to it; null for a path it was not given or could not read.
    std::unique_ptr<ISoundBuffer> TakeBuffer(const std::string& path, std::uint32_t flags);

private:
    struct Entry {
        std::string path;
        std::unique_ptr<ISoundBuffer> buffer;
    };
    void Run();
    void Load();
    // Marks everything done, so that nothing waits for the worker any more.
    void Finish();

    const std::string output_;
    std::mutex mutex_;
    std::condition_variable progress_;
    fw::ComPtr<IDirectSound> device_;    // the worker's reference, kept until it ends
    bool deviceTaken_ = false;
    std::vector<Entry> entries_;
    std::size_t done_ = 0;               // entries the worker has finished
    bool deviceDone_ = false;
    bool stopping_ = false;
    std::thread worker_;                 // last: starts once everything above exists
};

}  // namespace audio
