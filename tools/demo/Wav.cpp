#include "Wav.h"

namespace demo {
namespace {

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

std::vector<uint8_t> EncodeWav16(const std::vector<int16_t>& samples, int channels,
                                 int sampleRate) {
  const uint32_t blockAlign = 2u * channels;
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  PutTag(out, "RIFF");
  Put(out, 36 + dataBytes, 4);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put(out, 16, 4);
  Put(out, 1, 2);  // PCM
  Put(out, static_cast<uint32_t>(channels), 2);
  Put(out, static_cast<uint32_t>(sampleRate), 4);
  Put(out, static_cast<uint32_t>(sampleRate) * blockAlign, 4);
  Put(out, blockAlign, 2);
  Put(out, 16, 2);
  PutTag(out, "data");
  Put(out, dataBytes, 4);
  for (int16_t s : samples) Put(out, static_cast<uint16_t>(s), 2);
  return out;
}

}  // namespace demo
