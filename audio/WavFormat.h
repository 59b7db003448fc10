#pragma once
// The fixed 44-byte WAV header the program reads: fields are taken from
// fixed offsets, no chunk is searched for and no tag is checked.
#include <cstddef>
#include <cstdint>

namespace audio {

constexpr std::size_t kWavHeaderSize = 44;

struct PcmFormat {
    std::uint16_t channels = 1;  // 1 or 2
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;  // recomputed: blockAlign * samplesPerSec
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
};

struct WavHeader {
    PcmFormat format;
    std::uint32_t dataBytes = 0;  // size of the sound buffer
};

WavHeader ParseWavHeader(const std::uint8_t (&bytes)[kWavHeaderSize]);

}  // namespace audio
