#include "audio/SoundOutputs.h"

#include <mmsystem.h>
#include <dsound.h>

#include <cstdio>

namespace audio {

namespace {
BOOL CALLBACK AddOutput(LPGUID guid, LPCSTR description, LPCSTR, LPVOID context) {
    auto& outputs = *static_cast<std::vector<SoundOutput>*>(context);
    outputs.push_back({guid ? GuidToText(*guid) : std::string(), description ? description : ""});
    return TRUE;
}
}  // namespace

std::vector<SoundOutput> EnumerateSoundOutputs() {
    std::vector<SoundOutput> outputs;
    ::DirectSoundEnumerateA(AddOutput, &outputs);
    // The system's default comes first with no GUID; make sure it is there.
    if (outputs.empty() || !outputs.front().id.empty()) outputs.insert(outputs.begin(), {"", "Default device"});
    return outputs;
}

std::string GuidToText(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(g.Data1), unsigned{g.Data2}, unsigned{g.Data3}, unsigned{g.Data4[0]},
                  unsigned{g.Data4[1]}, unsigned{g.Data4[2]}, unsigned{g.Data4[3]}, unsigned{g.Data4[4]},
                  unsigned{g.Data4[5]}, unsigned{g.Data4[6]}, unsigned{g.Data4[7]});
    return text;
}

std::optional<GUID> GuidFromText(const std::string& text) {
    unsigned long data1 = 0;
    unsigned part[10] = {};
    int end = 0;
    if (text.size() != 38 ||
        std::sscanf(text.c_str(), "{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}%n", &data1, &part[0], &part[1], &part[2],
                    &part[3], &part[4], &part[5], &part[6], &part[7], &part[8], &part[9], &end) != 11 ||
        end != 38)
        return std::nullopt;
    GUID g{};
    g.Data1 = data1;
    g.Data2 = static_cast<unsigned short>(part[0]);
    g.Data3 = static_cast<unsigned short>(part[1]);
    for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<unsigned char>(part[i + 2]);
    return g;
}

}  // namespace audio
