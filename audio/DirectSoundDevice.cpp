#include "audio/DirectSoundDevice.h"

#include <mutex>

#include "audio/HeldSamples.h"
#include "audio/SoundBuffer.h"
#include "audio/SoundDecoders.h"
#include "audio/SoundLoader.h"
#include "audio/SoundOutputs.h"
#include "audio/StreamedBuffer.h"
#include "framework/Trace.h"

namespace audio {

fw::ComPtr<IDirectSound> CreateDirectSound(const std::string& output, OutputChoice choice, bool* onDefaultInstead) {
    fw::ComPtr<IDirectSound> device;
    if (onDefaultInstead) *onDefaultInstead = false;
    const auto guid = GuidFromText(output);
    if (!output.empty() && !guid && choice == OutputChoice::Exactly) return device;
    if (guid && FAILED(::DirectSoundCreate(&*guid, device.put(), nullptr))) device.reset();
    if (guid && choice == OutputChoice::Exactly) return device;
    if (device || FAILED(::DirectSoundCreate(nullptr, device.put(), nullptr))) return device;
    if (onDefaultInstead) *onDefaultInstead = !output.empty();
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
    if (prefetch) device->device_ = prefetch->TakeDevice(output, device->onDefaultInstead_);
    if (device->device_)
        device->prefetch_ = std::move(prefetch);
    else
        device->device_ = CreateDirectSound(output, choice, &device->onDefaultInstead_);
    if (!device->device_) {
        error = SoundError::Create;
        return nullptr;
    }
    if (FAILED(device->device_->SetCooperativeLevel(window, DSSCL_NORMAL))) error = SoundError::SetCooperativeLevel;
    device->window_ = window;
    device->loadedMessage_ = loadedMessage;
    device->StartProbe();
    return device;
}

namespace {
// A device mixes every few milliseconds: a cursor that has not moved for
// this long belongs to a device that stopped.
constexpr DWORD kProbeStillMs = 400;
}  // namespace

void DirectSoundDevice::StartProbe() {
    // The primary buffer: its cursor is the device's own, and costs no mixing.
    // Played, it keeps the device running while no sound plays.
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    fw::ComPtr<IDirectSoundBuffer> probe;
    if (FAILED(device_->CreateSoundBuffer(&desc, probe.put(), nullptr)) || !probe ||
        FAILED(probe->Play(0, 0, DSBPLAY_LOOPING)))
        return;
    probe_ = std::move(probe);
    probeMovedAt_ = ::GetTickCount();
}

bool DirectSoundDevice::Lost() {
    if (!probe_) return false;
    DWORD status = 0, cursor = 0;
    // A device that went fails the call (AUDCLNT_E_DEVICE_INVALIDATED, DSERR_NODRIVER), or stands still.
    if (FAILED(probe_->GetStatus(&status)) || !(status & DSBSTATUS_PLAYING) ||
        FAILED(probe_->GetCurrentPosition(&cursor, nullptr)))
        return true;
    const DWORD now = ::GetTickCount();
    if (cursor != probeCursor_) {
        probeCursor_ = cursor;
        probeMovedAt_ = now;
        return false;
    }
    return now - probeMovedAt_ >= kProbeStillMs;
}

DirectSoundDevice::~DirectSoundDevice() = default;

std::unique_ptr<ISoundBuffer> DirectSoundDevice::CreateBuffer(const std::string& path, std::uint32_t flags) {
    return LoadSound(path, device_.get(), flags);
}

LoadQueue& DirectSoundDevice::Loads() {
    if (!loads_) {
        loads_ = std::make_unique<LoadQueue>([this] {
            if (loadedMessage_) ::PostMessageA(window_, loadedMessage_, 0, 0);
        });
    }
    return *loads_;
}

void DirectSoundDevice::BeginLoad(std::uint64_t ticket, const std::string& path, std::uint32_t flags) {
    Loads().Begin(ticket, [this, path, flags, prefetch = prefetch_]() -> std::unique_ptr<ISoundBuffer> {
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

std::unique_ptr<ISoundBuffer> DirectSoundDevice::FollowBuffer(ISoundBuffer& source) {
    if (!source.IsLoaded()) return nullptr;
    // A streamed sound already plays through a ring: another shares its source and head.
    if (dynamic_cast<const StreamedBuffer*>(&source)) return CopyBuffer(source);
    auto* held = dynamic_cast<CSoundBuffer*>(&source);
    const auto samples = held ? HeldSamples::Of(*held) : nullptr;
    if (!samples) return nullptr;
    const PcmFormat& format = samples->Layout().format;
    return std::make_unique<StreamedBuffer>(samples, device_.get(), kBufferFlags,
                                            StreamSizes::ForMemory(format.avgBytesPerSec, format.blockAlign));
}

void DirectSoundDevice::EndReadAhead() {
    // Its workers may still be decoding: they are waited for on a worker.
    if (prefetch_) Loads().Begin(0, [prefetch = std::move(prefetch_)]() mutable {
        prefetch.reset();
        return std::unique_ptr<ISoundBuffer>();
    });
}


}  // namespace audio
