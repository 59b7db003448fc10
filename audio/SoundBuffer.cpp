#include "audio/SoundBuffer.h"

#include <mmreg.h>

#include <cstdio>
#include <cstring>

#include "audio/SoundOutputs.h"
#include "audio/SoundLoader.h"
#include "audio/SoundPrefetch.h"
#include "audio/StreamedBuffer.h"
#include "audio/WavFormat.h"
#include "framework/Trace.h"

namespace audio {

namespace {
// KSDATAFORMAT_SUBTYPE_PCM, defined here to need no GUID library.
const GUID kSubtypePcm = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}  // namespace

void DescribeFormat(const PcmLayout& layout, WAVEFORMATEXTENSIBLE& f) {
    const PcmFormat& pcm = layout.format;
    f = WAVEFORMATEXTENSIBLE{};
    f.Format.wFormatTag = WAVE_FORMAT_PCM;
    f.Format.nChannels = pcm.channels;
    f.Format.nSamplesPerSec = pcm.samplesPerSec;
    f.Format.nAvgBytesPerSec = pcm.avgBytesPerSec;
    f.Format.nBlockAlign = pcm.blockAlign;
    f.Format.wBitsPerSample = pcm.bitsPerSample;
    f.Format.cbSize = 0;
    if (pcm.bitsPerSample <= 16 && layout.validBitsPerSample == pcm.bitsPerSample) return;
    f.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    f.Format.cbSize = sizeof f - sizeof f.Format;
    f.Samples.wValidBitsPerSample = layout.validBitsPerSample;
    f.dwChannelMask = pcm.channels == 2 ? SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT : SPEAKER_FRONT_CENTER;
    f.SubFormat = kSubtypePcm;
}

CSoundBuffer::CSoundBuffer(const std::string& path, IDirectSound* device, DWORD flags) : flags_(flags) {
    OpenedSound sound = OpenWav(path);
    error_ = sound.error;
    if (sound.source) Fill(*sound.source, device);
}

CSoundBuffer::CSoundBuffer(PcmSource& source, IDirectSound* device, DWORD flags) : flags_(flags) {
    Fill(source, device);
}

void CSoundBuffer::Fill(PcmSource& source, IDirectSound* device) {
    length_ = source.LengthBytes();
    if (!device) return;
    WAVEFORMATEXTENSIBLE format;
    DescribeFormat(source.Layout(), format);
    DSBUFFERDESC desc{};
    desc.dwSize = 20;  // the original DirectSound 1 description, without the 3D algorithm field
    desc.dwFlags = flags_;
    desc.dwBufferBytes = static_cast<DWORD>(source.Size());
    desc.lpwfxFormat = &format.Format;
    error_ = SoundError::CreateSoundBuffer;
    if (source.Size() > DSBSIZE_MAX || FAILED(device->CreateSoundBuffer(&desc, buffer.put(), nullptr)) || !buffer) {
        buffer.reset();
        return;
    }
    error_ = SoundError::ReadingData;
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    if (FAILED(buffer->Lock(0, desc.dwBufferBytes, &first, &firstBytes, &second, &secondBytes, DSBLOCK_FROMWRITECURSOR)))
        return;
    // A lock that hands back no memory has nothing to fill.
    const bool filled = (first || !firstBytes) && (second || !secondBytes) &&
                        source.ReadAt(0, first, firstBytes) == firstBytes &&
                        source.ReadAt(firstBytes, second, secondBytes) == secondBytes;
    if (SUCCEEDED(buffer->Unlock(first, firstBytes, second, secondBytes)) && filled) error_ = SoundError::None;
}

HRESULT ReadFormat(IDirectSoundBuffer* buffer, WAVEFORMATEXTENSIBLE& format) {
    format = WAVEFORMATEXTENSIBLE{};
    return buffer->GetFormat(&format.Format, sizeof format, nullptr);
}

HRESULT ReadVolume(IDirectSoundBuffer* buffer, std::int32_t& hundredthsDb) {
    LONG v = 0;
    const HRESULT hr = buffer->GetVolume(&v);
    hundredthsDb = v;
    return hr;
}

HRESULT ReadBytesPerSec(IDirectSoundBuffer* buffer, std::uint32_t& bytesPerSec) {
    WAVEFORMATEXTENSIBLE format;
    const HRESULT hr = ReadFormat(buffer, format);
    bytesPerSec = format.Format.nAvgBytesPerSec;
    return hr;
}

HRESULT ReadBlockAlign(IDirectSoundBuffer* buffer, std::uint32_t& bytes) {
    WAVEFORMATEXTENSIBLE format;
    const HRESULT hr = ReadFormat(buffer, format);
    bytes = format.Format.nBlockAlign;
    return hr;
}

namespace {

// The whole of a buffer, locked for as long as this lives.
class WholeBufferLock {
public:
    explicit WholeBufferLock(IDirectSoundBuffer* buffer) : buffer_(buffer) {
        locked_ = SUCCEEDED(buffer_->Lock(0, 0, &first_, &firstBytes_, &second_, &secondBytes_, DSBLOCK_ENTIREBUFFER)) &&
                  first_ && !second_;
    }
    ~WholeBufferLock() {
        if (first_ || second_) buffer_->Unlock(first_, firstBytes_, second_, secondBytes_);
    }
    WholeBufferLock(const WholeBufferLock&) = delete;
    WholeBufferLock& operator=(const WholeBufferLock&) = delete;
    // The buffer's bytes in one piece, or null.
    void* data() const { return locked_ ? first_ : nullptr; }
    DWORD size() const { return firstBytes_; }

private:
    IDirectSoundBuffer* buffer_;
    void* first_ = nullptr;
    void* second_ = nullptr;
    DWORD firstBytes_ = 0, secondBytes_ = 0;
    bool locked_ = false;
};
}  // namespace

CSoundBuffer::CSoundBuffer(const CSoundBuffer& source, IDirectSound* device)
    : flags_(source.flags_), length_(source.length_) {
    if (!source.buffer || !device) return;
    WAVEFORMATEXTENSIBLE format;
    DSBCAPS caps{};
    caps.dwSize = sizeof caps;
    error_ = SoundError::CreateSoundBuffer;
    if (FAILED(ReadFormat(source.buffer.get(), format)) || FAILED(source.buffer->GetCaps(&caps))) return;
    DSBUFFERDESC desc{};
    desc.dwSize = 20;
    desc.dwFlags = flags_;
    desc.dwBufferBytes = caps.dwBufferBytes;
    desc.lpwfxFormat = &format.Format;
    if (FAILED(device->CreateSoundBuffer(&desc, buffer.put(), nullptr)) || !buffer) {
        buffer.reset();
        return;
    }
    error_ = SoundError::ReadingData;
    // Reading a buffer while it plays is allowed: the lock only says where its memory is.
    const WholeBufferLock from(source.buffer.get());
    const WholeBufferLock to(buffer.get());
    if (!from.data() || !to.data() || from.size() != to.size()) return;
    std::memcpy(to.data(), from.data(), to.size());
    error_ = SoundError::None;
}

CSoundBuffer::~CSoundBuffer() {
    // Whoever needed to know that a stop failed has asked before; a buffer
    // released while it plays is silenced by the release all the same.
    DWORD status = 0;
    if (buffer && SUCCEEDED(buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING)) buffer->Stop();
}

Result CSoundBuffer::Play(bool looping) {
    fw::trace::Stamp("play");
    return buffer->Play(0, 0, looping ? DSBPLAY_LOOPING : 0);
}
Result CSoundBuffer::Stop() { return buffer->Stop(); }
Result CSoundBuffer::SetCurrentPosition(std::uint32_t bytes) { return buffer->SetCurrentPosition(bytes); }

Result CSoundBuffer::GetCurrentPosition(std::uint32_t& playCursor) {
    DWORD play = 0;
    const HRESULT hr = buffer->GetCurrentPosition(&play, nullptr);
    playCursor = play;
    return hr;
}

Result CSoundBuffer::GetStatus(std::uint32_t& status) {
    DWORD s = 0;
    const HRESULT hr = buffer->GetStatus(&s);
    status = s;
    return hr;
}

Result CSoundBuffer::SetVolume(std::int32_t hundredthsDb) { return buffer->SetVolume(hundredthsDb); }

Result CSoundBuffer::GetVolume(std::int32_t& hundredthsDb) { return ReadVolume(buffer.get(), hundredthsDb); }
Result CSoundBuffer::GetAvgBytesPerSec(std::uint32_t& bytesPerSec) {
    return ReadBytesPerSec(buffer.get(), bytesPerSec);
}
Result CSoundBuffer::GetBlockAlign(std::uint32_t& bytes) { return ReadBlockAlign(buffer.get(), bytes); }

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
                                                             std::unique_ptr<SoundPrefetch> prefetch) {
    error = SoundError::None;
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
    return device;
}

DirectSoundDevice::~DirectSoundDevice() = default;

std::unique_ptr<ISoundBuffer> DirectSoundDevice::CreateBuffer(const std::string& path, std::uint32_t flags) {
    if (prefetch_) {
        if (auto ready = prefetch_->TakeBuffer(path, flags)) return ready;
    }
    return LoadSound(path, device_.get(), flags);
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

void DirectSoundDevice::EndPrefetch() { prefetch_.reset(); }

void DirectSoundDevice::ReadAhead(const std::vector<std::string>& paths) {
    if (!prefetch_) prefetch_ = std::make_unique<SoundPrefetch>(device_.get(), paths);
}

}  // namespace audio
