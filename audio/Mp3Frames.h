#pragma once
// Where an MP3 file's sound begins and what it is: the first of two
// MPEG audio Layer III frames in a row, after any ID3v2 tag. What the
// Audio Compression Manager's MP3 decoder must be told.
#include <cstdint>
#include <optional>

#include "audio/WavFormat.h"

namespace audio {

struct Mp3Frame {
    std::uint32_t samplesPerSec = 0;
    std::uint16_t channels = 0;
    std::uint32_t bitsPerSec = 0;
    std::uint32_t bytes = 0;  // the whole frame, header and padding included
};

// The frame whose header is these four bytes; nothing when they are not a
// Layer III frame header.
std::optional<Mp3Frame> ParseMp3FrameHeader(const std::uint8_t* header);

struct Mp3Start {
    std::uint64_t offset = 0;  // of the first frame
    Mp3Frame frame;
};
// The first frame followed by another of the same kind, within the first
// 64 KiB after the ID3v2 tag; nothing in a file that is no MP3.
std::optional<Mp3Start> FindMp3Start(ByteSource& file);

}  // namespace audio
