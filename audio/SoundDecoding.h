#pragma once
// Turning a compressed sound into PCM samples through the system's decoders,
// whichever of them reads the file: the part that does not depend on the
// decoder or the system.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/PcmSource.h"
#include "audio/PcmSpool.h"
#include "audio/SoundSize.h"

namespace audio {

// What a decoder's pieces hold.
struct DecodedFormat {
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint16_t bitsPerSample = 0;
    bool floating = false;          // 32-bit floats; integers otherwise
    std::uint32_t channelMask = 0;  // the channels' speakers, as a wave format names them; 0: the usual ones
    std::uint32_t FrameBytes() const { return std::uint32_t{channels} * bitsPerSample / 8; }
};

// Which of a decoder's frames are the sound, as the file says.
struct DecodedSpan {
    std::uint64_t skip = 0;    // frames before the sound (an MP3's encoder delay)
    std::uint64_t frames = 0;  // the sound's frames after those, as the file states them; 0 when it does not
    bool exact = false;        // frames is the encoded count: what comes after is padding
};

// One compressed file being decoded, a piece at a time.
class Decoder {
public:
    virtual ~Decoder() = default;
    virtual const DecodedFormat& Format() const = 0;
    virtual DecodedSpan Span() const = 0;
    enum class Step { Piece, End, Failed };
    // The next piece of samples into `piece`, replacing what it held (it may
    // be empty); End after the last one; Failed when the file cannot be
    // decoded further.
    virtual Step Next(std::vector<std::uint8_t>& piece) = 0;
};

// Opens path for decoding; null when this decoder does not read it.
using DecoderOpener = std::function<std::unique_ptr<Decoder>(const std::string& path)>;

// path decoded by the first of `decoders` that reads it to its end, into a
// spool (memory up to memoryBytes, past that a file from makeFile), as
// 16-bit samples of one or two channels where the decoder gives floats or
// more channels (mixed down to stereo), cut to the span the file states.
// When none does, the error says why: Undecodable (no decoder took the
// file), UnplayableFormat (one took it, into a format the card cannot take),
// DecodeFailed (one took it and could not finish, or it held no sound),
// TooLong (its duration is more than a position can count: refused before
// decoding), SpoolNoRoom (the spool's disk has not the room its duration
// needs: refused before decoding) or SpoolFailed (the samples could not be
// kept).
OpenedSound DecodeSound(const std::string& path, const std::vector<DecoderOpener>& decoders,
                        const SpoolFileMaker& makeFile, std::uint64_t memoryBytes = kResidentBytes);

// How a sound is decoded while it already plays.
struct HeadFirst {
    double headSeconds = 2.0;  // decoded before the sound is handed over
    // While other heads are being decoded, the rest waits for them, but only
    // while it is this far ahead of a play begun at the hand-over.
    double leadSeconds = 1.5;
    std::uint64_t memoryBytes = kResidentBytes;
    // Run on the decode's thread: first, once the head has been handed over,
    // and once the sound is decoded to its end (or as far as it could be),
    // unless nobody held it any more.
    std::function<void()> atStart, afterHead, decoded;
};

// The same on a thread of its own, which the caller waits for only until the
// sound's first headSeconds are decoded: the source it hands over then
// (GrowingPcmSource) plays from the spool as it grows, its size the length
// the file states until the decode confirms it, and the thread decodes on
// to the end, between pieces letting go as soon as nobody holds the source
// and waiting while any other sound's head is being decoded (as long as
// it keeps its lead).
// A sound that is decoded to its end before that, and one whose file states
// no length, comes back whole as from DecodeSound; so does every error found
// before the head was handed over. One after is the source's making error.
// Without a thread to be had, this is DecodeSound.
OpenedSound DecodeSoundHeadFirst(const std::string& path, std::vector<DecoderOpener> decoders,
                                 SpoolFileMaker makeFile, const HeadFirst& options = {});

}  // namespace audio
