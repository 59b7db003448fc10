#include "audio/WavFormat.h"

namespace audio {
namespace {
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
}  // namespace

WavHeader ParseWavHeader(const std::uint8_t (&b)[kWavHeaderSize]) {
    WavHeader h;
    // Anything with more than one channel is handed over as stereo.
    h.format.channels = U16(b + 22) > 1 ? 2 : 1;
    h.format.samplesPerSec = U32(b + 24);
    h.format.blockAlign = U16(b + 32);
    h.format.bitsPerSample = U16(b + 34);
    h.format.avgBytesPerSec = h.format.blockAlign * h.format.samplesPerSec;  // wraps like a DWORD
    h.dataBytes = U32(b + 40);
    return h;
}

}  // namespace audio
