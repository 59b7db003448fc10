#pragma once
// The system's DirectSound output devices, and a device's GUID as the text
// the settings keep.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace audio {

struct SoundOutput {
    std::string id;    // the GUID as "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"; empty for the default device
    std::string name;  // as DirectSound describes it
};

// Every output DirectSound lists, the system's default device first.
std::vector<SoundOutput> EnumerateSoundOutputs();

std::string GuidToText(const GUID& guid);
// Nothing for text that is not a GUID in the form above.
std::optional<GUID> GuidFromText(const std::string& text);

}  // namespace audio
