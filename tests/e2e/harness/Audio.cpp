#include "Audio.h"

#include <algorithm>
#include <cmath>

namespace e2e {
namespace {

size_t FrameAt(const Pcm& pcm, double seconds) {
  if (seconds <= 0) return 0;
  return std::min(pcm.frames(), static_cast<size_t>(std::llround(seconds * pcm.rate)));
}

double Db(double sumSquares, size_t count) {
  if (count == 0 || sumSquares <= 0) return kSilenceDb;
  const double rms = std::sqrt(sumSquares / count) / 32768.0;
  return std::max(kSilenceDb, 20 * std::log10(rms));
}

// Sum of squares and sample count over frames [begin, end).
double SumSquares(const Pcm& pcm, size_t begin, size_t end, int channel, size_t* count) {
  double sum = 0;
  *count = 0;
  for (size_t f = begin; f < end; ++f) {
    for (int c = 0; c < pcm.channels; ++c) {
      if (channel >= 0 && c != channel) continue;
      const double v = pcm.samples[f * pcm.channels + c];
      sum += v * v;
      ++*count;
    }
  }
  return sum;
}

size_t WindowFrames(const Pcm& pcm, double windowMs) {
  return std::max<size_t>(1, static_cast<size_t>(std::llround(pcm.rate * windowMs / 1000.0)));
}

}  // namespace

Pcm Pcm::slice(double from, double to) const {
  Pcm out;
  out.rate = rate;
  out.channels = channels;
  const size_t begin = FrameAt(*this, from), end = std::max(begin, FrameAt(*this, to));
  out.samples.assign(samples.begin() + begin * channels, samples.begin() + end * channels);
  return out;
}

std::vector<double> WindowLevelsDb(const Pcm& pcm, double windowMs, int channel) {
  std::vector<double> levels;
  const size_t window = WindowFrames(pcm, windowMs);
  for (size_t begin = 0; begin + window <= pcm.frames(); begin += window) {
    size_t count;
    const double sum = SumSquares(pcm, begin, begin + window, channel, &count);
    levels.push_back(Db(sum, count));
  }
  return levels;
}

std::vector<double> ToneLevelsDb(const Pcm& pcm, double hz, double windowMs, int channel) {
  // Goertzel's filter over each window: the amplitude of the one frequency.
  std::vector<double> levels;
  const size_t window = WindowFrames(pcm, windowMs);
  const double coefficient = 2 * std::cos(2 * M_PI * hz / pcm.rate);
  for (size_t begin = 0; begin + window <= pcm.frames(); begin += window) {
    double s1 = 0, s2 = 0;
    for (size_t f = begin; f < begin + window; ++f) {
      const double s = pcm.samples[f * pcm.channels + channel] + coefficient * s1 - s2;
      s2 = s1;
      s1 = s;
    }
    const double power = std::max(0.0, s1 * s1 + s2 * s2 - coefficient * s1 * s2);
    const double amplitude = 2 * std::sqrt(power) / static_cast<double>(window);
    levels.push_back(Db(amplitude * amplitude / 2, 1));
  }
  return levels;
}

double LevelDb(const Pcm& pcm, double from, double to, int channel) {
  size_t count;
  const double sum = SumSquares(pcm, FrameAt(pcm, from), FrameAt(pcm, to), channel, &count);
  return Db(sum, count);
}

double TypicalLevelDb(const Pcm& pcm, double from, double to, double windowMs, int channel) {
  std::vector<double> levels = WindowLevelsDb(pcm.slice(from, to), windowMs, channel);
  if (levels.empty()) return kSilenceDb;
  std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
  return levels[levels.size() / 2];
}

double SecondsAbove(const Pcm& pcm, double thresholdDb, double windowMs, int channel) {
  const std::vector<double> levels = WindowLevelsDb(pcm, windowMs, channel);
  const double window = static_cast<double>(WindowFrames(pcm, windowMs)) / pcm.rate;
  return window * std::count_if(levels.begin(), levels.end(),
                                [thresholdDb](double l) { return l >= thresholdDb; });
}

std::optional<double> FirstTimeAbove(const Pcm& pcm, double thresholdDb, double windowMs,
                                     int channel) {
  const std::vector<double> levels = WindowLevelsDb(pcm, windowMs, channel);
  const double window = static_cast<double>(WindowFrames(pcm, windowMs)) / pcm.rate;
  for (size_t i = 0; i < levels.size(); ++i)
    if (levels[i] >= thresholdDb) return i * window;
  return std::nullopt;
}

std::optional<double> LastTimeAbove(const Pcm& pcm, double thresholdDb, double windowMs,
                                    int channel) {
  const std::vector<double> levels = WindowLevelsDb(pcm, windowMs, channel);
  const double window = static_cast<double>(WindowFrames(pcm, windowMs)) / pcm.rate;
  for (size_t i = levels.size(); i-- > 0;)
    if (levels[i] >= thresholdDb) return (i + 1) * window;
  return std::nullopt;
}

Pcm WithoutGaps(const Pcm& pcm, double minGapSeconds) {
  Pcm out = pcm;
  out.samples.clear();
  const auto minFrames = static_cast<size_t>(minGapSeconds * pcm.rate);
  const size_t channels = static_cast<size_t>(pcm.channels);
  size_t zeros = 0;  // frames of zero just copied, at the end of out
  for (size_t f = 0; f < pcm.frames(); ++f) {
    const int16_t* frame = &pcm.samples[f * channels];
    const bool zero = std::all_of(frame, frame + channels, [](int16_t v) { return v == 0; });
    if (!zero) {
      zeros = 0;
    } else if (++zeros > minFrames) {
      continue;  // inside a gap: dropped
    }
    out.samples.insert(out.samples.end(), frame, frame + channels);
  }
  // A gap's first frames were copied before it was known to be one.
  return out;
}

std::optional<double> FirstSilence(const Pcm& pcm, double thresholdDb, double length,
                                   double floorDb, double windowMs) {
  const std::vector<double> levels = WindowLevelsDb(pcm, windowMs);
  const double window = static_cast<double>(WindowFrames(pcm, windowMs)) / pcm.rate;
  const auto needed = static_cast<size_t>(std::ceil(length / window));
  size_t quiet = 0;
  for (size_t i = 0; i < levels.size(); ++i) {
    quiet = levels[i] < thresholdDb && levels[i] >= floorDb ? quiet + 1 : 0;
    if (quiet >= needed) return (i + 1 - quiet) * window;
  }
  return std::nullopt;
}

double DominantFrequency(const Pcm& pcm, double from, double to, int channel) {
  if (channel < 0 || channel >= pcm.channels) return 0;
  const size_t begin = FrameAt(pcm, from), end = FrameAt(pcm, to);
  if (end <= begin) return 0;
  // Hysteresis at a quarter of the RMS: a sine's peaks are 1.4 times its RMS,
  // so every period still crosses both thresholds.
  size_t count;
  const double sum = SumSquares(pcm, begin, end, channel, &count);
  const double hysteresis = 0.25 * std::sqrt(sum / std::max<size_t>(count, 1));
  if (hysteresis <= 0) return 0;

  auto sample = [&](size_t f) -> double { return pcm.samples[f * pcm.channels + channel]; };
  bool below = false;
  std::vector<double> crossings;
  for (size_t f = begin; f < end; ++f) {
    const double v = sample(f);
    if (v < -hysteresis) {
      below = true;
    } else if (below && v > hysteresis) {
      below = false;
      // Where the signal passed zero: back to the first positive frame of
      // this rise, then interpolate between it and the frame before.
      size_t z = f;
      while (z > begin && sample(z - 1) > 0) --z;
      double t = static_cast<double>(z);
      if (z > begin) {
        const double a = sample(z - 1), b = sample(z);
        t = (z - 1) + (-a) / (b - a);
      }
      crossings.push_back(t);
    }
  }
  if (crossings.size() < 2) return 0;

  // Periods near the median only: a dropout in the sound (an underrun in
  // the player) makes one long period that must not pull the result down.
  std::vector<double> periods;
  for (size_t i = 1; i < crossings.size(); ++i) periods.push_back(crossings[i] - crossings[i - 1]);
  std::vector<double> sorted = periods;
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  const double median = sorted[sorted.size() / 2];
  double total = 0;
  int typical = 0;
  for (double p : periods) {
    if (std::fabs(p - median) <= 0.1 * median) {
      total += p;
      ++typical;
    }
  }
  return typical > 0 && total > 0 ? pcm.rate * typical / total : 0;
}

}  // namespace e2e
