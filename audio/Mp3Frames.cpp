#include "audio/Mp3Frames.h"

#include <vector>

namespace audio {

namespace {
constexpr std::uint32_t kBitrates[2][15] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},  // MPEG-1
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},      // MPEG-2 and 2.5
};
constexpr std::uint32_t kRates[3] = {44100, 48000, 32000};  // MPEG-1; halved for 2, quartered for 2.5
constexpr std::size_t kSearchBytes = 64 * 1024;
}  // namespace

std::optional<Mp3Frame> ParseMp3FrameHeader(const std::uint8_t* h) {
    const unsigned version = (h[1] >> 3) & 3;  // 0: MPEG-2.5, 1: reserved, 2: MPEG-2, 3: MPEG-1
    const unsigned layer = (h[1] >> 1) & 3;    // 1: Layer III
    const unsigned bitrateIndex = h[2] >> 4, rateIndex = (h[2] >> 2) & 3;
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0 || version == 1 || layer != 1 || bitrateIndex == 0 ||
        bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;
    const bool mpeg1 = version == 3;
    Mp3Frame f;
    f.samplesPerSec = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    f.channels = (h[3] >> 6) == 3 ? 1 : 2;
    f.bitsPerSec = kBitrates[mpeg1 ? 0 : 1][bitrateIndex] * 1000;
    f.bytes = (mpeg1 ? 144 : 72) * f.bitsPerSec / f.samplesPerSec + ((h[2] >> 1) & 1);
    return f;
}

std::optional<Mp3Start> FindMp3Start(ByteSource& file) {
    std::uint64_t from = 0;
    std::uint8_t id3[10];
    if (file.ReadAt(0, id3, sizeof id3) == sizeof id3 && id3[0] == 'I' && id3[1] == 'D' && id3[2] == '3') {
        // The tag's size: four bytes of seven bits each, then a footer if flagged.
        from = 10 + ((id3[6] & 0x7Fu) << 21 | (id3[7] & 0x7Fu) << 14 | (id3[8] & 0x7Fu) << 7 | (id3[9] & 0x7Fu)) +
               ((id3[5] & 0x10) ? 10 : 0);
    }
    std::vector<std::uint8_t> bytes(kSearchBytes + 4);
    bytes.resize(file.ReadAt(from, bytes.data(), bytes.size()));
    for (std::size_t at = 0; at + 4 <= bytes.size(); ++at) {
        const auto frame = ParseMp3FrameHeader(&bytes[at]);
        if (!frame) continue;
        std::uint8_t next[4];
        const auto second = file.ReadAt(from + at + frame->bytes, next, sizeof next) == sizeof next
                                ? ParseMp3FrameHeader(next)
                                : std::nullopt;
        if (second && second->samplesPerSec == frame->samplesPerSec && second->channels == frame->channels)
            return Mp3Start{from + at, *frame};
    }
    return std::nullopt;
}

}  // namespace audio
