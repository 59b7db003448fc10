#include "audio/DirectSoundDevice.h"

#include <mutex>

#include "audio/SoundBuffer.h"
#include "audio/SoundDecoders.h"
#include "audio/SoundLoader.h"
#include "audio/SoundOutputs.h"
#include "audio/StreamedBuffer.h"
#include "framework/Trace.h"

namespace audio {

fw::ComPtr<IDirectSound> CreateDirectSound(const std::string& output, OutputChoice choice) {
    fw::ComPtr<IDirectSound> device;
    const auto guid = GuidFromText(output);
    if (!output.empty() && !guid && choice == OutputChoice::Exactly) return device;
    if (guid && FAILED(::DirectSoundCreate(&*guid, device.put(), nullptr))) device.reset();
    if (guid && choice == OutputChoice::Exactly) return device;
    if (!device && FAILED(::DirectSoundCreate(nullptr, device.put(), nullptr))) device.reset();
    return device;
}

std::unique_ptr<DirectSoundDevice> DirectSoundDevice::Create(HWND window, const std::string& output,
                                                             OutputChoice choice, SoundError& error,
                                                             std::unique_ptr<SoundPrefetch> prefetch,
                                                             UINT loadedMessage) {
    error = SoundError::None;
    // Once the board starts: what boards that ended left behind (a power cut) goes.
    static std::once_flag swept;
    std::call_once(swept, [] { RemoveStaleSpoolFiles(); });
    auto device = std::make_unique<DirectSoundDevice>();
    if (prefetch) device->device_ = prefetch->TakeDevice(output);
    if (device->device_)
        device->prefetch_ = std::move(prefetch);
    else
        device->device_ = CreateDirectSound(output, choice);
    if (!device->device_) {
        error = SoundError::Create;
        return nullptr;
    }
    if (FAILED(device->device_->SetCooperativeLevel(window, DSSCL_NORMAL))) error = SoundError::SetCooperativeLevel;
    device->window_ = window;
    device->loadedMessage_ = loadedMessage;
    DirectSoundDevice* made = device.get();
    device->loads_ = std::make_unique<LoadQueue>([made] {
        if (made->loadedMessage_) ::PostMessageA(made->window_, made->loadedMessage_, 0, 0);
    });
    return device;
}

DirectSoundDevice::~DirectSoundDevice() = default;

std::unique_ptr<ISoundBuffer> DirectSoundDevice::CreateBuffer(const std::string& path, std::uint32_t flags) {
    return LoadSound(path, device_.get(), flags);
}

void DirectSoundDevice::BeginLoad(std::uint64_t ticket, const std::string& path, std::uint32_t flags) {
    loads_->Begin(ticket, [this, path, flags, prefetch = prefetch_]() -> std::unique_ptr<ISoundBuffer> {
        // What the start-up prefetch made, waiting for it here rather than on the window's thread.
        std::unique_ptr<ISoundBuffer> buffer;
        if (prefetch) buffer = prefetch->TakeBuffer(path, flags);
        if (!buffer) buffer = LoadSound(path, device_.get(), flags);
        fw::trace::Stamp("loaded");
        return buffer;
    });
}

std::unique_ptr<ISoundBuffer> DirectSoundDevice::CopyBuffer(ISoundBuffer& source) {
    // Every buffer of this program is a CSoundBuffer or a StreamedBuffer.
    if (!source.IsLoaded()) return nullptr;
    if (const auto* streamed = dynamic_cast<const StreamedBuffer*>(&source))
        return std::make_unique<StreamedBuffer>(*streamed, device_.get());
    const auto* from = dynamic_cast<const CSoundBuffer*>(&source);
    if (!from) return nullptr;
    return std::make_unique<CSoundBuffer>(*from, device_.get());
}

void DirectSoundDevice::EndReadAhead() {
    // Its workers may still be decoding: they are waited for on a worker.
    if (prefetch_) loads_->Begin(0, [prefetch = std::move(prefetch_)]() mutable {
        prefetch.reset();
        return std::unique_ptr<ISoundBuffer>();
    });
}


}  // namespace audio
