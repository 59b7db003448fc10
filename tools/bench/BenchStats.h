// Window-free arithmetic of the benchmark: medians and percentiles, the
// programs' time-stamp files, CPU counters from /proc, and where a sound
// starts in a recording.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// Median (mean of the middle two for an even count); nothing for no values.
std::optional<double> Median(std::vector<double> values);
// Nearest-rank percentile, p in 0..100.
std::optional<double> Percentile(std::vector<double> values, double p);

// A program's time-stamp file: "freq F" then "EVENT COUNT" lines.
struct Trace {
  double frequency = 0;  // counts per second
  struct Stamp {
    std::string event;
    long long count;
  };
  std::vector<Stamp> stamps;

  // Seconds of the first stamp of `event`, nothing when there is none.
  std::optional<double> First(const std::string& event) const;
  // Seconds of every stamp of `event`, in order.
  std::vector<double> All(const std::string& event) const;
  // For every stamp of `trigger`, the seconds to the first "play" after it
  // and before the next trigger; triggers that did not play are left out.
  std::vector<double> TriggerToPlay(const std::string& trigger) const;
  // Counts of all "play" stamps.
  std::vector<long long> Plays() const;
};
Trace ParseTrace(const std::string& text);

// Seconds from each sent trigger to the first "play" stamp after it and
// before the next one; both in performance-counter counts.
std::vector<double> SentToPlay(const std::vector<long long>& sent, const std::vector<long long>& plays,
                               double frequency);
// The counts of a driver's "sent COUNT" lines.
std::vector<long long> ParseSent(const std::string& output);

// CPU time in clock ticks (utime + stime) from a /proc/PID/stat line; the
// command name in parentheses may hold spaces and parentheses.
std::optional<uint64_t> CpuTicksFromStat(const std::string& statLine);
// Run time in nanoseconds, the first field of a /proc/.../schedstat line.
std::optional<uint64_t> RunNanosFromSchedstat(const std::string& line);

// Per added sound, the CPU added between consecutive counts of playing
// sounds: counts {1, 6, 12, 18} give three slopes.
std::vector<double> Slopes(const std::vector<int>& counts, const std::vector<double>& cpu);
// Growth at most linear: no later slope above the steepest earlier one by
// more than `tolerance` (points per sound).
bool AtMostLinear(const std::vector<double>& slopes, double tolerance);

// First frame at or after `from` whose sample (any channel) reaches
// `threshold` in magnitude; interleaved 16-bit samples.
std::optional<size_t> OnsetFrame(const std::vector<int16_t>& samples, int channels, size_t from,
                                 int threshold);

}  // namespace bench
