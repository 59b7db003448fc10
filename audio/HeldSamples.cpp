#include "audio/HeldSamples.h"

#include <algorithm>
#include <cstring>
#include <mmreg.h>
#include <ks.h>
#include <ksmedia.h>

#include "audio/BufferFormat.h"

namespace audio {

std::shared_ptr<HeldSamples> HeldSamples::Of(CSoundBuffer& sound) {
    IDirectSoundBuffer* buffer = sound.buffer.get();
    WAVEFORMATEXTENSIBLE format{};
    DSBCAPS caps{};
    caps.dwSize = sizeof caps;
    if (!buffer || FAILED(ReadFormat(buffer, format)) || FAILED(buffer->GetCaps(&caps))) return nullptr;
    auto samples = std::make_shared<HeldSamples>();
    buffer->AddRef();
    samples->buffer_ = fw::ComPtr<IDirectSoundBuffer>(buffer);
    const WAVEFORMATEX& f = format.Format;
    samples->layout_.format = {f.nChannels, f.nSamplesPerSec, f.nAvgBytesPerSec, f.nBlockAlign, f.wBitsPerSample};
    samples->layout_.validBitsPerSample =
        f.wFormatTag == WAVE_FORMAT_EXTENSIBLE ? format.Samples.wValidBitsPerSample : f.wBitsPerSample;
    samples->size_ = caps.dwBufferBytes;
    samples->length_ = sound.LengthBytes();
    return samples;
}

std::size_t HeldSamples::ReadAt(std::uint64_t offset, void* to, std::size_t bytes) {
    if (offset >= size_) return 0;
    const auto count = static_cast<DWORD>(std::min<std::uint64_t>(bytes, size_ - offset));
    void *first = nullptr, *second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    if (FAILED(buffer_->Lock(static_cast<DWORD>(offset), count, &first, &firstBytes, &second, &secondBytes, 0)))
        return 0;
    std::size_t read = 0;
    if (first) std::memcpy(to, first, read = firstBytes);
    if (second && secondBytes && read == firstBytes) {
        std::memcpy(static_cast<std::uint8_t*>(to) + read, second, secondBytes);
        read += secondBytes;
    }
    buffer_->Unlock(first, firstBytes, second, secondBytes);
    return read;
}

}  // namespace audio
