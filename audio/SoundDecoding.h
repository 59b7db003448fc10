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

namespace audio {

// One compressed file being decoded, a piece at a time.
class Decoder {
public:
    virtual ~Decoder() = default;
    // The PCM the pieces come as.
    virtual const PcmLayout& Layout() const = 0;
    enum class Step { Piece, End, Failed };
    // The next piece of samples into `piece`, replacing what it held (it may
    // be empty); End after the last one; Failed when the file cannot be
    // decoded further.
    virtual Step Next(std::vector<std::uint8_t>& piece) = 0;
};

// Opens path for decoding; null when this decoder does not read it.
using DecoderOpener = std::function<std::unique_ptr<Decoder>(const std::string& path)>;

// path decoded by the first of `decoders` that reads it to its end, into a
// spool (memory up to memoryBytes, past that a file from makeFile). When
// none does, the error says why: Undecodable (no decoder took the file),
// DecodeFailed (one took it and could not finish, or it held no sound) or
// SpoolFailed (the samples could not be kept).
OpenedSound DecodeSound(const std::string& path, const std::vector<DecoderOpener>& decoders,
                        const SpoolFileMaker& makeFile, std::uint64_t memoryBytes = kResidentBytes);

}  // namespace audio
