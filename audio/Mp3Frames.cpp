#include "audio/Mp3Frames.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace audio {

namespace {
constexpr std::uint32_t kBitrates[2][15] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},  // MPEG-1
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},      // MPEG-2 and 2.5
};
constexpr std::uint32_t kRates[3] = {44100, 48000, 32000};  // MPEG-1; halved for 2, quartered for 2.5
constexpr std::size_t kSearchBytes = 64 * 1024;
// The LAME tag: 36 bytes after the info frame's fields, its check sum last,
// over every byte of the frame before it.
constexpr std::size_t kLameTagBytes = 36;
constexpr std::size_t kLameDelayAt = 21, kLameCrcAt = 34;

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

// CRC-16 of polynomial 0x8005, bits reflected, starting at 0: what the LAME tag carries.
std::uint16_t Crc16(const std::uint8_t* bytes, std::size_t n) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<std::uint16_t>(crc >> 1 ^ 0xA001) : crc >> 1;
    }
    return crc;
}

// Reads what a Xing or Info frame says into `start`; nothing when `frame` is
// a frame of sound.
void ReadInfoFrame(const std::vector<std::uint8_t>& frame, Mp3Start& start) {
    const std::uint8_t* h = frame.data();
    const bool mpeg1 = ((h[1] >> 3) & 3) == 3, mono = (h[3] >> 6) == 3, crc = (h[1] & 1) == 0;
    const std::size_t tag = 4 + (crc ? 2 : 0) + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (tag + 8 > frame.size() || (std::memcmp(h + tag, "Xing", 4) != 0 && std::memcmp(h + tag, "Info", 4) != 0))
        return;
    const std::uint32_t flags = BigEndian32(h + tag + 4);
    std::size_t at = tag + 8;
    if (flags & 1) {
        if (at + 4 > frame.size()) return;
        start.frames = BigEndian32(h + at);
        at += 4;
    }
    at += (flags & 2 ? 4 : 0) + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);  // bytes, seek table, quality
    start.infoFrame = true;
    start.soundOffset = start.offset + start.frame.bytes;
    if (at + kLameTagBytes > frame.size() ||
        Crc16(h, at + kLameCrcAt) != (h[at + kLameCrcAt] << 8 | h[at + kLameCrcAt + 1]))
        return;
    const std::uint8_t* d = h + at + kLameDelayAt;  // two 12-bit numbers
    start.delay = static_cast<std::uint32_t>(d[0]) << 4 | d[1] >> 4;
    start.padding = static_cast<std::uint32_t>(d[1] & 0x0F) << 8 | d[2];
    start.gapless = start.frames > 0 && std::uint64_t{start.frames} * start.frame.samples > start.delay + start.padding;
}
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
    f.samples = mpeg1 ? 1152 : 576;
    return f;
}

std::uint64_t Mp3Start::Samples() const {
    const std::uint64_t all = std::uint64_t{frames} * frame.samples;
    return gapless ? all - delay - padding : all;
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
        if (!second || second->samplesPerSec != frame->samplesPerSec || second->channels != frame->channels)
            continue;
        Mp3Start start;
        start.offset = start.soundOffset = from + at;
        start.frame = *frame;
        std::vector<std::uint8_t> whole(frame->bytes);
        if (file.ReadAt(start.offset, whole.data(), whole.size()) == whole.size()) ReadInfoFrame(whole, start);
        return start;
    }
    return std::nullopt;
}

std::optional<Mp3Start> FindMp3Start(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    FileByteSource bytes(file);
    const auto start = FindMp3Start(bytes);
    std::fclose(file);
    return start;
}

Mp3Cut CutForFramesOfSound(const Mp3Start& mp3) {
    if (!mp3.gapless) return {};
    return {mp3.delay + kMp3DecoderDelay, mp3.Samples()};
}

Mp3Cut CutForAnnouncedSamples(const Mp3Start& mp3, std::uint64_t announced) {
    if (!mp3.gapless || announced == 0) return {};
    const std::uint64_t sound = mp3.Samples(), frames = std::uint64_t{mp3.frames} * mp3.frame.samples;
    const Mp3Cut cuts[] = {{0, sound}, CutForFramesOfSound(mp3), {mp3.frame.samples + mp3.delay + kMp3DecoderDelay, sound}};
    const std::uint64_t lengths[] = {sound, frames, frames + mp3.frame.samples};
    std::size_t best = 0;
    auto distance = [&](std::size_t i) { return lengths[i] > announced ? lengths[i] - announced : announced - lengths[i]; };
    for (std::size_t i = 1; i < 3; ++i)
        if (distance(i) < distance(best)) best = i;
    return cuts[best];
}

}  // namespace audio
