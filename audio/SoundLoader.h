#pragma once
// Turns a sound file into a buffer on a DirectSound device: a PCM WAV as it
// is, any other sound file decoded by the system first; held whole in one buffer.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <memory>
#include <string>

#include "audio/SoundApi.h"

namespace audio {

// The buffer for path on device, or one whose LoadError() says why there is none.
std::unique_ptr<ISoundBuffer> LoadSound(const std::string& path, IDirectSound* device, DWORD flags);

}  // namespace audio
