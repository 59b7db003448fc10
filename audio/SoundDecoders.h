#pragma once
// A sound file that is not a PCM WAV, decoded by the system: Media
// Foundation first, then the Audio Compression Manager for MP3. Samples past
// the resident size go to a temporary file that is deleted when the last
// reader lets go of it, or when the program ends however it ends; one left
// by a power cut goes at the next start.
#include <string>

#include "audio/PcmSource.h"
#include "audio/PcmSpool.h"

namespace audio {

OpenedSound DecodeSoundFile(const std::string& path);
// The same, handed over once its first seconds are decoded while a thread of
// its own decodes the rest (DecodeSoundHeadFirst).
OpenedSound DecodeSoundFileHeadFirst(const std::string& path);

// A new file in the folder for temporary files, deleted when it is closed;
// its promises are held against that folder's free space.
std::unique_ptr<SpoolFile> MakeTempSpoolFile();

// Removes the spool files in the folder for temporary files that no running
// board holds open (left by a board that ended without closing them: a
// power cut); returns how many.
int RemoveStaleSpoolFiles();

}  // namespace audio
