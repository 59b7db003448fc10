#include "audio/BufferFormat.h"

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

DSBUFFERDESC DescribeBuffer(DWORD flags, DWORD bytes, WAVEFORMATEXTENSIBLE& format) {
    DSBUFFERDESC desc{};
    desc.dwSize = 20;
    desc.dwFlags = flags;
    desc.dwBufferBytes = bytes;
    desc.lpwfxFormat = &format.Format;
    return desc;
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

}  // namespace audio
