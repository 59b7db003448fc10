#include "Demo.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>

namespace demo {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;

// Float signal being built; `right` is unused for mono.
struct Track {
  Track(int channels, double seconds)
      : channels(channels),
        left(static_cast<size_t>(seconds * kSampleRate)),
        right(channels == 2 ? left.size() : 0) {}

  size_t frames() const { return left.size(); }

  // pan -1 is hard left, +1 hard right (constant power); ignored in mono.
  void add(size_t frame, double v, double pan = 0) {
    if (frame >= frames()) return;
    if (channels == 1) {
      left[frame] += static_cast<float>(v);
    } else {
      const double angle = (pan + 1) * kPi / 4;
      left[frame] += static_cast<float>(v * std::cos(angle));
      right[frame] += static_cast<float>(v * std::sin(angle));
    }
  }

  int channels;
  std::vector<float> left, right;
};

size_t Frame(double seconds) { return static_cast<size_t>(seconds * kSampleRate); }

// Deterministic white noise in [-1, 1].
class Noise {
 public:
  double next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
  }

 private:
  uint32_t state_ = 0x2545F491u;
};

// A note with a 5 ms attack and an exponential decay of time constant `tau`
// (0: none), over `partials` (frequency ratio, amplitude) pairs.
void Note(Track& t, double start, double length, double freq, double amp, double tau,
          const std::vector<std::pair<double, double>>& partials = {{1, 1}}, double pan = 0) {
  const size_t n = Frame(length);
  for (size_t i = 0; i < n; ++i) {
    const double s = static_cast<double>(i) / kSampleRate;
    double env = std::min(1.0, s / 0.005) * (tau > 0 ? std::exp(-s / tau) : 1.0);
    env *= std::min(1.0, (length - s) / 0.01);  // 10 ms release, no click at the end
    double v = 0;
    for (auto [ratio, a] : partials) v += a * std::sin(kTwoPi * freq * ratio * s);
    t.add(Frame(start) + i, amp * env * v, pan);
  }
}

// Sine whose frequency follows `freqAt(seconds)`, phase kept continuous.
void Glide(Track& t, double start, double length, double amp,
           const std::function<double(double)>& freqAt,
           const std::function<double(double)>& panAt = [](double) { return 0.0; }) {
  double phase = 0;
  const size_t n = Frame(length);
  for (size_t i = 0; i < n; ++i) {
    const double s = static_cast<double>(i) / kSampleRate;
    const double env = std::min({1.0, s / 0.01, (length - s) / 0.01});
    t.add(Frame(start) + i, amp * env * std::sin(phase), panAt(s));
    phase = std::fmod(phase + kTwoPi * freqAt(s) / kSampleRate, kTwoPi);
  }
}

void NoiseBurst(Track& t, Noise& noise, double start, double length, double amp, double tau,
                double pan = 0, double highPass = 0) {
  double previous = 0;
  const size_t n = Frame(length);
  for (size_t i = 0; i < n; ++i) {
    const double s = static_cast<double>(i) / kSampleRate;
    const double env = std::min(1.0, s / 0.002) * (tau > 0 ? std::exp(-s / tau) : 1.0) *
                       std::min(1.0, (length - s) / 0.005);
    double v = noise.next();
    const double filtered = v - highPass * previous;  // simple first-order high-pass
    previous = v;
    t.add(Frame(start) + i, amp * env * filtered, pan);
  }
}

// Sine whose pitch falls from `from` to `to` Hz: a drum body.
void Drum(Track& t, double start, double length, double from, double to, double amp) {
  double phase = 0;
  const size_t n = Frame(length);
  for (size_t i = 0; i < n; ++i) {
    const double s = static_cast<double>(i) / kSampleRate;
    const double freq = to + (from - to) * std::exp(-s / 0.04);
    const double env = std::min(1.0, s / 0.001) * std::exp(-s / (length / 4)) *
                       std::min(1.0, (length - s) / 0.005);
    t.add(Frame(start) + i, amp * env * std::sin(phase));
    phase = std::fmod(phase + kTwoPi * freq / kSampleRate, kTwoPi);
  }
}

// Scales the track so its peak is at -3 dBFS and converts it to 16 bits.
std::vector<int16_t> Finish(const Track& t) {
  float peak = 0;
  for (float v : t.left) peak = std::max(peak, std::fabs(v));
  for (float v : t.right) peak = std::max(peak, std::fabs(v));
  const double gain = peak > 0 ? 0.7 / peak : 0;
  std::vector<int16_t> out;
  out.reserve(t.frames() * t.channels);
  auto convert = [gain](float v) {
    return static_cast<int16_t>(std::clamp(std::lround(v * gain * 32767), -32767L, 32767L));
  };
  for (size_t i = 0; i < t.frames(); ++i) {
    out.push_back(convert(t.left[i]));
    if (t.channels == 2) out.push_back(convert(t.right[i]));
  }
  return out;
}

struct Recipe {
  const char* name;
  int channels;
  double seconds;
  bool loop;
  std::function<void(Track&)> draw;
};

// Equal-tempered note frequencies used below.
constexpr double kA3 = 220.00, kC4 = 261.63, kE4 = 329.63, kG4 = 392.00, kC5 = 523.25,
                 kE5 = 659.25, kG5 = 783.99;

const std::vector<std::pair<double, double>> kBellPartials = {
    {1.0, 1.0}, {2.76, 0.5}, {5.40, 0.25}, {8.93, 0.12}};
const std::vector<std::pair<double, double>> kMellow = {{1, 1}, {2, 0.3}, {3, 0.12}};

std::vector<Recipe> Recipes() {
  return {
      {"A440 TONE", 1, 1.5, false, [](Track& t) { Note(t, 0, 1.5, 440, 1, 0); }},
      {"LOW HUM", 1, 2.0, false,
       [](Track& t) { Note(t, 0, 2.0, 110, 1, 0, {{1, 1}, {2, 0.5}, {3, 0.25}, {4, 0.1}}); }},
      {"MAJOR CHORD", 2, 2.5, false,
       [](Track& t) {
         Note(t, 0, 2.5, kC4, 1, 1.2, kMellow, -0.5);
         Note(t, 0, 2.5, kE4, 1, 1.2, kMellow, 0);
         Note(t, 0, 2.5, kG4, 1, 1.2, kMellow, 0.5);
       }},
      {"MINOR CHORD", 2, 2.5, false,
       [](Track& t) {
         Note(t, 0, 2.5, kA3, 1, 1.2, kMellow, -0.5);
         Note(t, 0, 2.5, kC4, 1, 1.2, kMellow, 0);
         Note(t, 0, 2.5, kE4, 1, 1.2, kMellow, 0.5);
       }},
      {"RISING SWEEP", 1, 2.0, false,
       [](Track& t) { Glide(t, 0, 2.0, 1, [](double s) { return 200 * std::pow(10.0, s / 2); }); }},
      {"FALLING SWEEP", 2, 2.0, false,
       [](Track& t) {
         Glide(
             t, 0, 2.0, 1, [](double s) { return 2000 * std::pow(10.0, -s / 2); },
             [](double s) { return s - 1; });
       }},
      {"WHITE NOISE", 1, 1.0, false,
       [](Track& t) {
         Noise n;
         NoiseBurst(t, n, 0, 1.0, 1, 0);
       }},
      {"NOISE BURSTS", 2, 2.0, false,
       [](Track& t) {
         Noise n;
         for (int i = 0; i < 4; ++i) NoiseBurst(t, n, 0.5 * i, 0.15, 1, 0.05, i % 2 ? 0.8 : -0.8);
       }},
      {"KICK DRUM", 1, 1.0, false, [](Track& t) { Drum(t, 0, 1.0, 150, 45, 1); }},
      {"TOM FILL", 1, 2.0, false,
       [](Track& t) {
         const double pitches[] = {220, 180, 140, 110, 90};
         for (int i = 0; i < 5; ++i) Drum(t, 0.25 * i, i < 4 ? 0.25 : 1.0, pitches[i] * 1.6, pitches[i], 1);
       }},
      {"CLICK TRACK", 1, 4.0, true,
       [](Track& t) {
         // 120 beats a minute, the first of each bar higher.
         for (int beat = 0; beat < 8; ++beat) Note(t, 0.5 * beat, 0.03, beat % 4 ? 1000 : 1600, 1, 0.008);
       }},
      {"DOOR BELL", 2, 2.5, false,
       [](Track& t) {
         Note(t, 0, 2.5, kE5, 1, 0.5, kBellPartials, -0.3);
         Note(t, 0.6, 1.9, kC5, 1, 0.6, kBellPartials, 0.3);
       }},
      {"ALARM", 2, 3.0, false,
       [](Track& t) {
         for (int i = 0; i < 12; ++i)
           Note(t, 0.25 * i, 0.25, i % 2 ? 600 : 800, 1, 0, {{1, 1}, {3, 0.33}, {5, 0.2}});
       }},
      {"ARPEGGIO", 2, 2.0, false,
       [](Track& t) {
         const double notes[] = {kC4, kE4, kG4, kC5, kE5, kG5, kE5, kC5};
         for (int i = 0; i < 8; ++i) Note(t, 0.25 * i, 0.25, notes[i], 1, 0.12, kMellow, -0.7 + 0.2 * i);
       }},
      {"PING PONG", 2, 3.0, false,
       [](Track& t) {
         for (int i = 0; i < 10; ++i) Note(t, 0.3 * i, 0.12, 1200, 1, 0.05, {{1, 1}}, i % 2 ? 1 : -1);
       }},
      {"SIREN", 1, 3.0, false,
       [](Track& t) { Glide(t, 0, 3.0, 1, [](double s) { return 600 - 300 * std::cos(kTwoPi * s / 1.5); }); }},
      {"SHAKER", 2, 2.0, false,
       [](Track& t) {
         Noise n;
         for (int i = 0; i < 16; ++i) NoiseBurst(t, n, 0.125 * i, 0.1, i % 2 ? 0.5 : 1, 0.02, i % 2 ? 0.4 : -0.4, 0.95);
       }},
      {"GONG", 2, 4.0, false,
       [](Track& t) {
         Note(t, 0, 4.0, 98, 1, 1.5, {{1, 1}, {1.52, 0.6}, {2.31, 0.4}, {3.07, 0.3}, {4.1, 0.15}}, -0.2);
         Note(t, 0.01, 3.99, 99.5, 0.4, 1.2, {{1, 1}, {2.4, 0.5}}, 0.4);
       }},
  };
}

std::string FileName(int index, const std::string& name) {
  std::string file = (index < 9 ? "0" : "") + std::to_string(index + 1) + "-";
  for (char c : name) file += c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return file + ".wav";
}

}  // namespace

std::vector<DemoSound> MakeDemoSounds() {
  std::vector<DemoSound> sounds;
  int index = 0;
  for (const Recipe& r : Recipes()) {
    Track t(r.channels, r.seconds);
    r.draw(t);
    sounds.push_back({FileName(index++, r.name), r.name, r.channels, r.loop, Finish(t)});
  }
  return sounds;
}

std::string WindowsPath(const std::string& linuxAbsolutePath) {
  std::string path = "Z:" + linuxAbsolutePath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string SchemeText(const std::vector<DemoSound>& sounds, const std::string& windowsDir) {
  std::string text;
  for (const DemoSound& s : sounds)
    text += windowsDir + "\\" + s.file + "|" + s.name + "|0.000000|0|0|" + (s.loop ? "1" : "0") +
            "|\r\n";
  for (size_t i = sounds.size(); i < 18; ++i) text += "||||\r\n";
  text += "Colours=0,255,50,0,58,15\r\n";
  text += "Compact=0\r\n";
  return text;
}

}  // namespace demo
