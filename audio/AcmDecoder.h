#pragma once
// Decoding through the Audio Compression Manager, which every Windows since
// XP has: MP3 files, and WAV files of the compressed formats its codecs
// read (ADPCM, mu-law, A-law, GSM, MP3 in a WAV). For systems without Media
// Foundation, and for what it does not read.
#include <memory>
#include <string>

#include "audio/SoundDecoding.h"

namespace audio {

// path as 16-bit PCM, an MP3 cut to its encoded length; null when no codec
// of the system takes it.
std::unique_ptr<Decoder> OpenAcmDecoder(const std::string& path);

}  // namespace audio
