// WAV reading: any bytes give a result, and a playable one never asks for
// sound beyond the end of the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "audio/WavFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    audio::MemoryByteSource file(data, size);
    audio::WavInfo info;
    if (audio::ReadWavInfo(file, info) == audio::WavResult::Ok && info.dataOffset + info.dataBytes > size) {
        std::fprintf(stderr, "data %llu+%u past a file of %zu bytes\n",
                     static_cast<unsigned long long>(info.dataOffset), info.dataBytes, size);
        std::abort();
    }
    return 0;
}
