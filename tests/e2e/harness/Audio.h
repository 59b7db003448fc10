// Captured sound and the measurements e2e tests make on it. 16-bit signed
// samples, channels interleaved; times are seconds from the first sample.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace e2e {

// Level reported for digital silence.
constexpr double kSilenceDb = -120.0;

struct Pcm {
  int rate = 44100;
  int channels = 2;
  std::vector<int16_t> samples;

  size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
  double seconds() const { return static_cast<double>(frames()) / rate; }
  // The frames from `from` to `to` seconds (clamped to the capture).
  Pcm slice(double from, double to) const;
};

// The capture without its gaps: stretches of at least `minGapSeconds` of
// exact digital zero in every channel, which the sound server inserts when
// a starved player falls behind. Measured on what is left, a sound keeps its
// length and level however busy the machine was.
Pcm WithoutGaps(const Pcm& pcm, double minGapSeconds = 0.002);

// Level of whole windows of `windowMs`, in dB relative to full scale (a
// full-scale square wave is 0 dBFS, a full-scale sine -3 dBFS). `channel` -1
// takes all channels together. An unfinished last window is left out.
std::vector<double> WindowLevelsDb(const Pcm& pcm, double windowMs, int channel = -1);

// Level of the stretch from `from` to `to` seconds.
double LevelDb(const Pcm& pcm, double from, double to, int channel = -1);

// Median level of the windows from `from` to `to` seconds: unlike LevelDb
// it ignores short gaps, such as the silence a player inserts when it
// cannot keep up.
double TypicalLevelDb(const Pcm& pcm, double from, double to, double windowMs = 10,
                      int channel = -1);

// Total time of the windows whose level reaches `thresholdDb`: how long
// something sounded, gaps not counted.
double SecondsAbove(const Pcm& pcm, double thresholdDb, double windowMs = 10, int channel = -1);

// Start of the first window whose level reaches `thresholdDb`; nothing if none does.
std::optional<double> FirstTimeAbove(const Pcm& pcm, double thresholdDb, double windowMs = 10,
                                     int channel = -1);

// End of the last window whose level reaches `thresholdDb`.
std::optional<double> LastTimeAbove(const Pcm& pcm, double thresholdDb, double windowMs = 10,
                                    int channel = -1);

// Start of the first stretch of at least `length` seconds whose 10 ms windows
// all stay below `thresholdDb` and at or above `floorDb`; nothing if the
// capture has none (yet).
std::optional<double> FirstSilence(const Pcm& pcm, double thresholdDb, double length,
                                   double floorDb = -1000, double windowMs = 10);

// Level of the `hz` component alone in each whole window of `windowMs` of
// one channel, in dB as WindowLevelsDb gives it for that tone by itself.
// Tones that each make whole cycles in a window are measured apart from
// one another: each of several sounds playing at once can be followed.
std::vector<double> ToneLevelsDb(const Pcm& pcm, double hz, double windowMs, int channel = 0);

// Frequency in Hz of the tone from `from` to `to` seconds, from the typical
// spacing of upward zero crossings (with hysteresis, so low noise does not
// count, and robust to short dropouts). 0 when fewer than two crossings are
// found. Meant for single tones; a chord gives no useful answer.
double DominantFrequency(const Pcm& pcm, double from, double to, int channel = 0);

}  // namespace e2e
