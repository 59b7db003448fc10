#include "audio/SoundPrefetch.h"

#include <system_error>

#include "audio/SoundBuffer.h"
#include "audio/SoundLoader.h"
#include "audio/SoundOutputs.h"
#include "framework/FileStatus.h"

namespace audio {

SoundPrefetch::SoundPrefetch(std::string output, std::vector<std::string> paths) : output_(std::move(output)) {
    for (std::string& path : paths) entries_.push_back({std::move(path), nullptr});
    try {
        worker_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        Finish();  // no thread to be had: the board makes everything itself
    }
}

SoundPrefetch::~SoundPrefetch() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    if (worker_.joinable()) worker_.join();
    entries_.clear();  // the buffers before the device they were made on
}

void SoundPrefetch::Run() {
    try {
        Load();
    } catch (...) {
        // Out of memory, say: whatever is missing the board makes itself.
    }
    Finish();
}

void SoundPrefetch::Finish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        deviceDone_ = true;
        done_ = entries_.size();
    }
    progress_.notify_all();
}

void SoundPrefetch::Load() {
    fw::ComPtr<IDirectSound> device = CreateDirectSound(output_, OutputChoice::OrDefault);
    // The level is set right after the device is made, before any buffer:
    // the desktop stands in for the board's window, which sets it again.
    if (device && FAILED(device->SetCooperativeLevel(::GetDesktopWindow(), DSSCL_NORMAL))) device.reset();
    IDirectSound* raw = device.get();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        device_ = std::move(device);
        deviceDone_ = true;
    }
    progress_.notify_all();
    for (std::size_t i = 0; raw; ++i) {
        std::string path;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_ || i == entries_.size()) break;
            path = entries_[i].path;
        }
        // Only what the board would open: a regular file (a pipe or a device
        // name could block the open).
        std::uint64_t size = 0;
        std::unique_ptr<ISoundBuffer> buffer;
        if (fw::QueryFileSize(path, size)) buffer = LoadSound(path, raw, kBufferFlags);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (buffer && buffer->IsLoaded()) entries_[i].buffer = std::move(buffer);
            done_ = i + 1;
        }
        progress_.notify_all();
    }
}

fw::ComPtr<IDirectSound> SoundPrefetch::TakeDevice(const std::string& output) {
    std::unique_lock<std::mutex> lock(mutex_);
    progress_.wait(lock, [this] { return deviceDone_; });
    if (deviceTaken_ || !device_ || output != output_) return {};
    deviceTaken_ = true;
    device_->AddRef();
    return fw::ComPtr<IDirectSound>(device_.get());
}

std::unique_ptr<ISoundBuffer> SoundPrefetch::TakeBuffer(const std::string& path, std::uint32_t flags) {
    if (flags != kBufferFlags) return nullptr;
    std::unique_lock<std::mutex> lock(mutex_);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].path != path || (done_ > i && !entries_[i].buffer)) continue;
        progress_.wait(lock, [&] { return done_ > i; });
        if (entries_[i].buffer) return std::move(entries_[i].buffer);
    }
    return nullptr;
}

}  // namespace audio
