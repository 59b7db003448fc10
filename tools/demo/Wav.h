// Canonical PCM WAV files: the 44-byte RIFF header ("RIFF", "WAVE", a
// 16-byte "fmt " chunk, "data") followed by the samples, nothing else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// 16-bit samples, channels interleaved.
std::vector<uint8_t> EncodeWav16(const std::vector<int16_t>& samples, int channels,
                                 int sampleRate);

}  // namespace demo
