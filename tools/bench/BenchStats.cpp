#include "BenchStats.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace bench {

std::optional<double> Median(std::vector<double> values) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::optional<double> Percentile(std::vector<double> values, double p) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  const double rank = std::ceil(p / 100.0 * static_cast<double>(values.size()));
  const size_t index = rank < 1 ? 0 : static_cast<size_t>(rank) - 1;
  return values[std::min(index, values.size() - 1)];
}

Trace ParseTrace(const std::string& text) {
  Trace trace;
  std::istringstream in(text);
  std::string event;
  long long count = 0;
  while (in >> event >> count) {
    if (event == "freq")
      trace.frequency = static_cast<double>(count);
    else
      trace.stamps.push_back({event, count});
  }
  return trace;
}

std::optional<double> Trace::First(const std::string& event) const {
  if (frequency <= 0 || stamps.empty()) return std::nullopt;
  for (const Stamp& s : stamps)
    if (s.event == event) return static_cast<double>(s.count - stamps.front().count) / frequency;
  return std::nullopt;
}

std::vector<double> Trace::All(const std::string& event) const {
  std::vector<double> seconds;
  for (const Stamp& s : stamps)
    if (s.event == event && frequency > 0) seconds.push_back(static_cast<double>(s.count - stamps.front().count) / frequency);
  return seconds;
}

std::vector<double> Trace::TriggerToPlay(const std::string& trigger) const {
  std::vector<double> latencies;
  std::optional<long long> pending;
  // A key held with another (Ctrl for a hotkey) is a trigger of its own that plays nothing.
  const auto isTrigger = [](const std::string& e) { return e == "key" || e == "hotkey" || e == "copydata" || e == "osc"; };
  for (const Stamp& s : stamps) {
    if (s.event == trigger) {
      pending = s.count;
    } else if (isTrigger(s.event)) {
      pending.reset();
    } else if (s.event == "play" && pending) {
      latencies.push_back(static_cast<double>(s.count - *pending) / frequency);
      pending.reset();
    }
  }
  return latencies;
}

std::vector<long long> Trace::Plays() const {
  std::vector<long long> plays;
  for (const Stamp& s : stamps)
    if (s.event == "play") plays.push_back(s.count);
  return plays;
}

std::vector<double> SentToPlay(const std::vector<long long>& sent, const std::vector<long long>& plays,
                               double frequency) {
  std::vector<double> latencies;
  for (size_t i = 0; i < sent.size(); ++i) {
    const long long next = i + 1 < sent.size() ? sent[i + 1] : sent[i] + static_cast<long long>(frequency);
    const auto play = std::lower_bound(plays.begin(), plays.end(), sent[i]);
    if (play != plays.end() && *play < next) latencies.push_back(static_cast<double>(*play - sent[i]) / frequency);
  }
  return latencies;
}

std::vector<long long> ParseSent(const std::string& output) {
  std::vector<long long> sent;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("sent ", 0) == 0) sent.push_back(std::atoll(line.c_str() + 5));
  return sent;
}

std::optional<uint64_t> CpuTicksFromStat(const std::string& statLine) {
  // Fields after the command: state is field 3, utime 14 and stime 15.
  const size_t close = statLine.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream in(statLine.substr(close + 1));
  std::string field;
  uint64_t utime = 0, stime = 0;
  for (int i = 3; i <= 15; ++i) {
    if (!(in >> field)) return std::nullopt;
    if (i == 14) utime = std::strtoull(field.c_str(), nullptr, 10);
    if (i == 15) stime = std::strtoull(field.c_str(), nullptr, 10);
  }
  return utime + stime;
}

std::optional<uint64_t> RunNanosFromSchedstat(const std::string& line) {
  std::istringstream in(line);
  uint64_t nanos = 0;
  if (!(in >> nanos)) return std::nullopt;
  return nanos;
}

std::vector<double> Slopes(const std::vector<int>& counts, const std::vector<double>& cpu) {
  std::vector<double> slopes;
  for (size_t i = 1; i < counts.size() && i < cpu.size(); ++i)
    if (counts[i] != counts[i - 1]) slopes.push_back((cpu[i] - cpu[i - 1]) / (counts[i] - counts[i - 1]));
  return slopes;
}

bool AtMostLinear(const std::vector<double>& slopes, double tolerance) {
  double steepest = slopes.empty() ? 0 : slopes.front();
  for (size_t i = 1; i < slopes.size(); ++i) {
    if (slopes[i] > steepest + tolerance) return false;
    steepest = std::max(steepest, slopes[i]);
  }
  return true;
}

std::optional<size_t> OnsetFrame(const std::vector<int16_t>& samples, int channels, size_t from,
                                 int threshold) {
  if (channels <= 0) return std::nullopt;
  for (size_t i = from * static_cast<size_t>(channels); i < samples.size(); ++i)
    if (std::abs(static_cast<int>(samples[i])) >= threshold) return i / static_cast<size_t>(channels);
  return std::nullopt;
}

}  // namespace bench
