#pragma once
// Which files are sounds, and which of them are read as WAV files and which
// go to the system's decoders.
#include <cstddef>
#include <cstdint>
#include <string>

namespace audio {

// A file's extension: what follows the last dot of its name (after the last
// backslash), without the dot; empty when the name has no dot.
std::string FileExtension(const std::string& path);

// The file's name says it is a kind of sound the board offers: WAV, or a
// kind the system's decoders read on some Windows (MP3, AAC/M4A, WMA, FLAC,
// Ogg Vorbis and Opus).
bool IsSoundFileName(const std::string& path);

// The sound file dialog's filters: every kind above, WAV files alone, all files.
std::string SoundFileFilter();

// Read as a WAV file, exactly as WAV files always were: a file that begins
// "RIFF" size "WAVE", or whose name ends in ".wav" whatever it holds. Any
// other file is handed to the decoders. head: the file's first bytes.
bool ReadsAsWav(const std::string& path, const std::uint8_t* head, std::size_t headBytes);

}  // namespace audio
