#pragma once
// A sound as PCM samples ready for the sound card, read from wherever they
// are kept: a PCM WAV file's data in place, or a decoded sound.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/SoundApi.h"
#include "audio/WavFormat.h"

namespace audio {

// What the sound card is told about the samples.
struct PcmLayout {
    PcmFormat format;
    // The extensible format's count of meaningful bits; bitsPerSample otherwise.
    std::uint16_t validBitsPerSample = 0;
};

class PcmSource {
public:
    virtual ~PcmSource() = default;
    virtual const PcmLayout& Layout() const = 0;
    // Bytes of sound.
    virtual std::uint64_t Size() const = 0;
    // What the shown length is worked out from: a WAV file's whole size,
    // header included, as the board has always shown it; a decoded sound's
    // own bytes.
    virtual std::uint64_t LengthBytes() const = 0;
    // Reads up to `bytes` at `offset` into the sound; fewer only at its end
    // or on a read error. A read may take long (a slow disk, a share that
    // answers late): once the sound is loaded, only a stream's own reader
    // thread reads it. Two streams of one sound (while it moves to another
    // output) may read it at once.
    virtual std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) = 0;
    // How many bytes from the start can be read now. A sound still being
    // made (decoded while it already plays) has only its first part: a
    // stream that needs bytes past this is not failing but waits for them,
    // silent, and plays on once they are there. Size() once the source is
    // complete, and also once it can get no further (its making failed), so
    // that a read past what it has fails and says so.
    virtual std::uint64_t Ready() const { return Size(); }
    // False while Size() is only the length the file states, for a sound
    // still being decoded: the decode may end before it or go past it.
    virtual bool SizeKnown() const { return true; }
    // Why the making of the sound stopped short of its end, once (the sound
    // then ends where it stopped, and its size is known); None otherwise.
    virtual SoundError TakeMakingError() { return SoundError::None; }
};

struct OpenedSound {
    std::shared_ptr<PcmSource> source;  // null when the sound cannot be had
    SoundError error = SoundError::None;
    // The file is not a WAV the card takes as it is (another kind of file,
    // or a WAV of compressed or floating-point samples): it needs decoding.
    bool needsDecoding = false;
};

// A WAV file's samples, read in place: the RIFF chunks, or the fixed 44-byte
// header when none are found (audio/WavFormat.h). A file that is not read as
// a WAV (audio/SoundKind.h) needs decoding. The file is held open for reading
// only (fw::ReadOnlyFile); after a failed read (a share that dropped) the
// next read opens it again by its path, if it still holds the same sound.
OpenedSound OpenWav(const std::string& path);

}  // namespace audio
