#pragma once
// At start-up, while the main thread builds the window, makes the sound
// device and reads the first scheme's sounds into DirectSound buffers on
// worker threads, one per core. The device's loaders then take each buffer
// (waiting for it on their own threads) instead of reading (and decoding)
// the file again. Nothing here reports: whatever the workers could not
// make, the loaders make the usual way, and the board tells what failed.
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
    // Starts the workers: the device for `output` (as DirectSoundDevice::Create
    // reads it), then each of `paths`.
    SoundPrefetch(std::string output, std::vector<std::string> paths);
    ~SoundPrefetch();  // waits for the workers; what was not taken is released
    SoundPrefetch(const SoundPrefetch&) = delete;
    SoundPrefetch& operator=(const SoundPrefetch&) = delete;

    // The device made for `output`, once; null when it was made for another
    // output or could not be made. onDefaultInstead: as CreateDirectSound sets it.
    fw::ComPtr<IDirectSound> TakeDevice(const std::string& output, bool& onDefaultInstead);
    // The buffer read from `path` with `flags`, once, waiting until a worker
    // has made it; null for a path it was not given or could not read.
    std::unique_ptr<ISoundBuffer> TakeBuffer(const std::string& path, std::uint32_t flags);

private:
    struct Entry {
        std::string path;
        std::unique_ptr<ISoundBuffer> buffer;
        bool done = false;
    };
    void Work(bool makeDevice);
    void MakeDevice();
    void LoadEntries();
    // Marks everything done, so that nothing waits for the workers any more.
    void Finish();

    const std::string output_;
    std::mutex mutex_;
    std::condition_variable progress_;
    fw::ComPtr<IDirectSound> device_;    // the workers' reference, kept until they end
    bool onDefaultInstead_ = false;
    bool deviceTaken_ = false;
    std::vector<Entry> entries_;
    std::size_t next_ = 0;               // the next entry a worker takes on
    bool deviceDone_ = false;
    bool stopping_ = false;
    std::vector<std::thread> workers_;   // last: start once everything above exists
};

}  // namespace audio
