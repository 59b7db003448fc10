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
    // or on a read error.
    virtual std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) = 0;
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
// a WAV (audio/SoundKind.h) needs decoding.
OpenedSound OpenWav(const std::string& path);

}  // namespace audio
