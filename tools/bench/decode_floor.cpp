// clangster-decode-floor [--repeat N] FILE...: the yardstick for loading
// decoded sounds. Decodes each file in turn on this one thread with the
// board's own decoders (Media Foundation, then ACM for MP3), keeps nothing,
// and prints one line per file: "frames rate channels error" (error 0 when
// decoded), then stamps "ready" in the trace the bench reads, as the board
// does once its scheme is loaded.
// With --repeat the files are decoded N times over, and a last line
// "memory FIRST LAST" gives the working set in KiB after the first round
// and at the end: what the system's decoders keep per decode, for the soak
// run to tell apart from the board's own growth.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/SoundDecoders.h"
#include "framework/Trace.h"

namespace {

unsigned long long WorkingSetKiB() {
    PROCESS_MEMORY_COUNTERS memory{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
    return memory.WorkingSetSize / 1024;
}

}  // namespace

int main(int argc, char** argv) {
    fw::trace::Start();
    int first = 1, repeat = 1;
    if (argc > 2 && std::strcmp(argv[1], "--repeat") == 0) {
        repeat = std::max(1, std::atoi(argv[2]));
        first = 3;
    }
    unsigned long long afterFirst = 0;
    for (int round = 0; round < repeat; ++round) {
        for (int i = first; i < argc; ++i) {
            const audio::OpenedSound sound = audio::DecodeSoundFile(argv[i]);
            const audio::PcmFormat f = sound.source ? sound.source->Layout().format : audio::PcmFormat{};
            std::printf("%llu %u %u %d\n",
                        static_cast<unsigned long long>(sound.source ? sound.source->Size() / f.blockAlign : 0),
                        f.samplesPerSec, f.channels, static_cast<int>(sound.error));
        }
        if (round == 0) afterFirst = WorkingSetKiB();
    }
    if (repeat > 1) std::printf("memory %llu %llu\n", afterFirst, WorkingSetKiB());
    fw::trace::Stamp("ready");
    return 0;
}
