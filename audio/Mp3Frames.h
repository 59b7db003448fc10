#pragma once
// Where an MP3 file's sound begins and what it is: the first of two
// MPEG audio Layer III frames in a row, after any ID3v2 tag. What the
// Audio Compression Manager's MP3 decoder must be told, and what a decoded
// MP3 must be cut to so that it is exactly the sound that was encoded.
#include <cstdint>
#include <optional>
#include <string>

#include "audio/WavFormat.h"

namespace audio {

struct Mp3Frame {
    std::uint32_t samplesPerSec = 0;
    std::uint16_t channels = 0;
    std::uint32_t bitsPerSec = 0;
    std::uint32_t bytes = 0;  // the whole frame, header and padding included
    std::uint32_t samples = 0;  // per channel: 1152 for MPEG-1, 576 for MPEG-2 and 2.5
};

// The frame whose header is these four bytes; nothing when they are not a
// Layer III frame header.
std::optional<Mp3Frame> ParseMp3FrameHeader(const std::uint8_t* header);

// Samples every decoder of the standard's synthesis puts before the first
// encoded one, on top of the encoder's delay.
constexpr std::uint32_t kMp3DecoderDelay = 529;

struct Mp3Start {
    std::uint64_t offset = 0;  // of the first frame
    Mp3Frame frame;
    // An encoder's first frame that holds no sound but says what the file
    // holds (a Xing or Info frame): the sound begins with the next frame.
    bool infoFrame = false;
    std::uint64_t soundOffset = 0;  // of the first frame of sound
    std::uint32_t frames = 0;       // frames of sound, as the info frame counts them; 0 when not told
    // From a LAME tag whose check sum holds: the encoder's delay and padding,
    // in samples, so that the encoded sound is known to the sample.
    bool gapless = false;
    std::uint32_t delay = 0, padding = 0;

    // The sound's length in samples: exact when gapless, else the frames'
    // samples; 0 when the file does not say.
    std::uint64_t Samples() const;
};
// The first frame followed by another of the same kind, within the first
// 64 KiB after the ID3v2 tag, and what its info frame says; nothing in a
// file that is no MP3.
std::optional<Mp3Start> FindMp3Start(ByteSource& file);
// The same for the file at path; nothing when it cannot be read.
std::optional<Mp3Start> FindMp3Start(const std::string& path);

// Which of a decoder's samples are the encoded sound.
struct Mp3Cut {
    std::uint64_t skip = 0;   // samples before the sound
    std::uint64_t keep = 0;   // the sound's samples after those; 0: all that come
};
// For a decoder that is given the frames of sound only: the encoder's and
// the decoder's delay go, and the padding.
Mp3Cut CutForFramesOfSound(const Mp3Start& mp3);
// For a decoder that reads the file itself and announces `announced`
// samples: a decoder that announces the encoded length has cut the sound
// already; one that announces the info frame too will decode it as sound.
Mp3Cut CutForAnnouncedSamples(const Mp3Start& mp3, std::uint64_t announced);

}  // namespace audio
