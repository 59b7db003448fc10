#include "audio/SoundBuffer.h"

#include <mmreg.h>

#include <cstdio>
#include <cstring>

#include "audio/BufferFormat.h"
#include "audio/WavFormat.h"
#include "framework/Trace.h"

namespace audio {


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
    DSBUFFERDESC desc = DescribeBuffer(flags_, static_cast<DWORD>(source.Size()), format);
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
    DSBUFFERDESC desc = DescribeBuffer(flags_, caps.dwBufferBytes, format);
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

}  // namespace audio
