#include "audio/SoundPrefetch.h"

#include <algorithm>
#include <system_error>

#include "audio/DirectSoundDevice.h"
#include "audio/SoundLoader.h"
#include "audio/SoundOutputs.h"
#include "framework/FileStatus.h"

namespace audio {

SoundPrefetch::SoundPrefetch(std::string output, std::vector<std::string> paths) : output_(std::move(output)) {
    for (std::string& path : paths) entries_.push_back({std::move(path), nullptr, false});
    // Decoding keeps a core busy per sound: one worker per core, none idle.
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t count = std::max<std::size_t>(1, std::min(cores, entries_.size()));
    try {
        // The first makes the device, which every buffer needs.
        for (std::size_t i = 0; i < count; ++i) workers_.emplace_back([this, i] { Work(i == 0); });
    } catch (const std::system_error&) {
        // No more threads to be had: the ones started do the work; without
        // any, the board makes everything itself.
    }
    if (workers_.empty()) Finish();
}

SoundPrefetch::~SoundPrefetch() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    for (std::thread& worker : workers_) worker.join();
    entries_.clear();  // the buffers before the device they were made on
}

void SoundPrefetch::Work(bool makeDevice) {
    try {
        if (makeDevice) MakeDevice();
        LoadEntries();
    } catch (...) {
        // Out of memory, say: whatever is missing the board makes itself.
        Finish();
    }
}

void SoundPrefetch::Finish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        deviceDone_ = true;
        for (Entry& entry : entries_) entry.done = true;
        next_ = entries_.size();
    }
    progress_.notify_all();
}

void SoundPrefetch::MakeDevice() {
    bool onDefaultInstead = false;
    fw::ComPtr<IDirectSound> device = CreateDirectSound(output_, OutputChoice::OrDefault, &onDefaultInstead);
    // The level is set right after the device is made, before any buffer:
    // the desktop stands in for the board's window, which sets it again.
    if (device && FAILED(device->SetCooperativeLevel(::GetDesktopWindow(), DSSCL_NORMAL))) device.reset();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        device_ = std::move(device);
        onDefaultInstead_ = onDefaultInstead;
        deviceDone_ = true;
    }
    progress_.notify_all();
}

void SoundPrefetch::LoadEntries() {
    IDirectSound* device = nullptr;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        progress_.wait(lock, [this] { return deviceDone_; });
        device = device_.get();  // kept until every worker has ended
    }
    if (!device) return Finish();
    for (;;) {
        std::size_t i = 0;
        std::string path;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_ || next_ >= entries_.size()) return;
            i = next_++;
            path = entries_[i].path;
        }
        // Only what the board would open: a regular file (a pipe or a device
        // name could block the open).
        std::uint64_t size = 0;
        std::unique_ptr<ISoundBuffer> buffer;
        if (fw::QueryFileSize(path, size)) buffer = LoadSound(path, device, kBufferFlags);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (buffer && buffer->IsLoaded()) entries_[i].buffer = std::move(buffer);
            entries_[i].done = true;
        }
        progress_.notify_all();
    }
}

fw::ComPtr<IDirectSound> SoundPrefetch::TakeDevice(const std::string& output, bool& onDefaultInstead) {
    std::unique_lock<std::mutex> lock(mutex_);
    progress_.wait(lock, [this] { return deviceDone_; });
    if (deviceTaken_ || !device_ || output != output_) return {};
    deviceTaken_ = true;
    onDefaultInstead = onDefaultInstead_;
    device_->AddRef();
    return fw::ComPtr<IDirectSound>(device_.get());
}

std::unique_ptr<ISoundBuffer> SoundPrefetch::TakeBuffer(const std::string& path, std::uint32_t flags) {
    if (flags != kBufferFlags) return nullptr;
    std::unique_lock<std::mutex> lock(mutex_);
    for (Entry& entry : entries_) {
        if (entry.path != path || (entry.done && !entry.buffer)) continue;
        progress_.wait(lock, [&] { return entry.done; });
        if (entry.buffer) return std::move(entry.buffer);
    }
    return nullptr;
}

}  // namespace audio
