// The demo board: 18 short sounds synthesised here, and the scheme that puts
// them in the 18 slots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

constexpr int kSampleRate = 44100;

struct DemoSound {
  std::string file;  // file name, e.g. "01-a440-tone.wav"
  std::string name;  // name shown in the slot, upper case, at most 19 characters
  int channels;      // 1 or 2
  bool loop;         // the slot plays it looping
  std::vector<int16_t> samples;  // interleaved, kSampleRate frames a second

  double seconds() const { return static_cast<double>(samples.size()) / channels / kSampleRate; }
};

// Always the same 18 sounds, bit for bit.
std::vector<DemoSound> MakeDemoSounds();

// The path under which Wine's drive Z: shows an absolute Linux path.
std::string WindowsPath(const std::string& linuxAbsolutePath);

// The scheme file text: one slot line per sound (path in `windowsDir`,
// rewound, full volume, counting up), the default colours and the Normal
// layout; CR LF line ends.
std::string SchemeText(const std::vector<DemoSound>& sounds, const std::string& windowsDir);

}  // namespace demo
