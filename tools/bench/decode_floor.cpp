// clangster-decode-floor FILE...: the yardstick for loading decoded sounds.
// Decodes each file in turn on this one thread with the board's own decoders
// (Media Foundation, then ACM for MP3), keeps nothing, and prints one line
// per file: "frames rate channels error" (error 0 when decoded), then stamps
// "ready" in the trace the bench reads, as the board does once its scheme is
// loaded.
#include <windows.h>

#include <cstdio>

#include "audio/SoundDecoders.h"
#include "framework/Trace.h"

int main(int argc, char** argv) {
    fw::trace::Start();
    for (int i = 1; i < argc; ++i) {
        const audio::OpenedSound sound = audio::DecodeSoundFile(argv[i]);
        const audio::PcmFormat f = sound.source ? sound.source->Layout().format : audio::PcmFormat{};
        std::printf("%llu %u %u %d\n",
                    static_cast<unsigned long long>(sound.source ? sound.source->Size() / f.blockAlign : 0),
                    f.samplesPerSec, f.channels, static_cast<int>(sound.error));
    }
    fw::trace::Stamp("ready");
    return 0;
}
