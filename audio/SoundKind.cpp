#include "audio/SoundKind.h"

#include <cstring>

#include "framework/AnsiText.h"

namespace audio {

namespace {
// WAV first: it is also the dialog's second filter.
const char* const kSoundExtensions[] = {"wav", "mp3", "mp2", "m4a", "aac", "wma", "flac", "ogg", "oga", "opus"};
}  // namespace

std::string FileExtension(const std::string& path) {
    const std::size_t slash = fw::FindLastAnsi(path, '\\');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = fw::FindLastAnsi(path, '.');
    return dot == std::string::npos || dot < nameStart ? std::string() : path.substr(dot + 1);
}

bool IsSoundFileName(const std::string& path) {
    const std::string extension = FileExtension(path);
    for (const char* known : kSoundExtensions)
        if (fw::EqualsIgnoreCaseAnsi(extension, known)) return true;
    return false;
}

std::string SoundFileFilter() {
    std::string patterns;
    for (const char* known : kSoundExtensions) patterns += std::string(patterns.empty() ? "" : ";") + "*." + known;
    return "Sound files (" + patterns + ")|" + patterns + "|Wave files (*.wav)|*.wav|All files (*.*)|*.*||";
}

bool ReadsAsWav(const std::string& path, const std::uint8_t* head, std::size_t headBytes) {
    const bool riffWave = headBytes >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
    return riffWave || fw::EqualsIgnoreCaseAnsi(FileExtension(path), "wav");
}

}  // namespace audio
