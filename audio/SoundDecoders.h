#pragma once
// A sound file that is not a PCM WAV, decoded by the system: Media
// Foundation first, then the Audio Compression Manager for MP3. Samples past
// the resident size go to a temporary file that is deleted when the last
// reader lets go of it, or when the program ends however it ends.
#include <string>

#include "audio/PcmSource.h"
#include "audio/PcmSpool.h"

namespace audio {

OpenedSound DecodeSoundFile(const std::string& path);

// A new file in the folder for temporary files, deleted when it is closed.
std::unique_ptr<SpoolFile> MakeTempSpoolFile();

}  // namespace audio
