#pragma once
// Decoding through Media Foundation's source reader, where the system has it
// (Windows 7 and later): MP3, AAC/M4A and WMA; FLAC and ALAC from Windows
// 10; Ogg Vorbis and Opus with the system's media extensions.
#include <memory>
#include <string>

#include "audio/SoundDecoding.h"

namespace audio {

// path as 16-bit or floating-point PCM, an MP3 cut to its encoded length; null
// when Media Foundation is missing or does not read it.
std::unique_ptr<Decoder> OpenMfDecoder(const std::string& path);

}  // namespace audio
