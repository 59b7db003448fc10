#include "StreamBench.h"

#include <dirent.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "BenchProcesses.h"
#include "BenchStats.h"
#include "BoardDriver.h"
#include "Harness.h"
#include "SlowFolder.h"

namespace fs = std::filesystem;

namespace bench {
namespace {

constexpr int kRate = 44100, kSounds = 18;
constexpr std::uint32_t kHour = 3600;

std::string Name(int i) {
  char name[24];
  std::snprintf(name, sizeof name, "BENCH %02d", i + 1);
  return name;
}
void Pause(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

// One second of a 16-bit stereo tone (whole cycles: seconds join without a click).
std::vector<int16_t> Second(double hz, int amplitude, bool left = true, bool right = true) {
  std::vector<int16_t> s(2 * kRate);
  for (int f = 0; f < kRate; ++f) {
    const auto v = static_cast<int16_t>(amplitude * std::sin(2 * M_PI * hz * f / kRate));
    s[2 * f] = left ? v : 0;
    s[2 * f + 1] = right ? v : 0;
  }
  return s;
}

std::uint64_t WavBytes(std::uint64_t frames) { return 44 + 4 * frames; }

// A canonical WAV of `frames` frames: `second` over and over (cut at the
// end), or, without it, silence left as a hole in the file.
void WriteWav(const std::string& path, std::uint64_t frames, const std::vector<int16_t>& second = {}) {
  if (fs::exists(path) && fs::file_size(path) == WavBytes(frames)) return;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  auto put = [&](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>(v >> (8 * i)));
  };
  const auto data = static_cast<std::uint32_t>(4 * frames);
  out << "RIFF";
  put(36 + data, 4);
  out << "WAVEfmt ";
  put(16, 4), put(1, 2), put(2, 2), put(kRate, 4), put(4 * kRate, 4), put(4, 2), put(16, 2);
  out << "data";
  put(data, 4);
  for (std::uint64_t done = 0; !second.empty() && done < frames; done += kRate)
    out.write(reinterpret_cast<const char*>(second.data()),
              static_cast<std::streamsize>(4 * std::min<std::uint64_t>(kRate, frames - done)));
  out.close();
  fs::resize_file(path, WavBytes(frames));
}

struct Slot {
  std::string path, name;
  bool loop = true;
};

std::string Scheme(const std::string& path, const std::vector<Slot>& slots) {
  std::ofstream out(path, std::ios::binary);
  for (size_t i = 0; i < kSounds; ++i) {
    if (i < slots.size())
      out << e2e::ToWindowsPath(slots[i].path) << "|" << slots[i].name << "|0.000000|0|0|" << slots[i].loop << "|\r\n";
    else
      out << "||||\r\n";
  }
  out << "Colours=0,255,50,0,58,15\r\nCompact=0\r\n";
  return path;
}

// --- programs ---------------------------------------------------------------

struct Program {
  std::string label, exe, comm;
  bool board;  // takes its scheme from the settings, to read the stored on-play mode with it
};

const char kKey[] = "HKCU\\Software\\Marrowick\\Clangster";

std::optional<pid_t> FindPid(const std::string& comm) {
  std::optional<pid_t> found;
  for (int attempt = 0; attempt < 100 && !(found = FindProcess(comm)); ++attempt) Pause(0.05);
  return found;
}

double RssMb(pid_t pid) {
  const std::string status = e2e::ReadWholeFile("/proc/" + std::to_string(pid) + "/status");
  const size_t at = status.find("VmRSS:");
  return at == std::string::npos ? 0 : std::atof(status.c_str() + at + 6) / 1024.0;
}

std::vector<long long> Drive(const std::vector<std::string>& args) {
  const e2e::RunResult r = e2e::RunWindows(e2e::WinBuildDir() + "/tools/bench/clangster-bench-driver.exe", args, 300);
  if (r.exitCode != 0) std::fprintf(stderr, "bench: driver %s failed: %s\n", args[0].c_str(), r.output.c_str());
  return ParseSent(r.output);
}

struct Running {
  std::unique_ptr<e2e::Process> process;
  pid_t pid = 0;
};

std::optional<Running> Start(const Program& p, const std::string& scheme, const std::string& tracePath = "",
                             const std::string& caption = " - Clangster$") {
  if (!tracePath.empty()) setenv("CLANGSTER_TRACE", e2e::ToWindowsPath(tracePath).c_str(), 1);
  Running r;
  if (p.board)
    e2e::RunCommand({"wine", "reg", "add", kKey, "/v", "LastFile", "/t", "REG_SZ", "/d", e2e::ToWindowsPath(scheme), "/f"});
  r.process = e2e::StartWindows(p.exe, p.board ? std::vector<std::string>{} : std::vector{e2e::ToWindowsPath(scheme)});
  unsetenv("CLANGSTER_TRACE");
  const auto pid = r.process && e2e::WaitForWindow(caption, *r.process, 120) ? FindPid(p.comm) : std::nullopt;
  if (!pid) {
    std::fprintf(stderr, "bench: %s did not start\n", p.label.c_str());
    return std::nullopt;
  }
  r.pid = *pid;
  return r;
}

void Close(Running& r) {
  Drive({"close"});
  if (!r.process->wait(30)) r.process->kill();
}

// --- measurements -----------------------------------------------------------

struct Figures {
  std::vector<double> ready, rss, cpu, copyToPlay;
};

// Load, memory and CPU with all 18 playing, and trigger to Play with 17 playing.
bool MeasurePlaying(const Program& p, const std::string& scheme, const StreamBenchOptions& o,
                    const std::string& tracePath, Figures& f) {
  fs::remove(tracePath);
  std::optional<Running> r = Start(p, scheme, tracePath);
  if (!r) return false;
  Pause(o.quick ? 0.3 : 1.5);
  std::vector<std::string> fire = {"fire"};
  for (int i = 0; i < kSounds; ++i) fire.push_back(Name(i));
  Drive(fire);
  Pause(o.quick ? 0.2 : 1.0);
  f.rss.push_back(RssMb(r->pid));
  for (int w = 0; w < o.windows; ++w) {
    const double c0 = CpuSeconds(r->pid);
    Pause(o.window);
    f.cpu.push_back((CpuSeconds(r->pid) - c0) / o.window * 100);
  }
  Drive({"toggle", Name(1), o.quick ? "4" : "200", "8"});
  Close(*r);
  const Trace trace = ParseTrace(e2e::ReadWholeFile(tracePath));
  if (auto t = trace.First("ready")) f.ready.push_back(*t);
  for (double v : trace.TriggerToPlay("copydata")) f.copyToPlay.push_back(v);
  return !f.ready.empty();
}

// First frame from `from` on whose sample on `channel` reaches `threshold`.
std::optional<size_t> Onset(const e2e::Pcm& pcm, int channel, size_t from, int threshold = 2000) {
  for (size_t f = from; f < pcm.frames(); ++f)
    if (std::abs(pcm.samples[2 * f + channel]) >= threshold) return f;
  return std::nullopt;
}

// Each seek goes out together with a start of a sound held whole: the seek
// lands on a burst in the left channel, the other sound is in the right.
// The figure is how much later the first is heard than the second.
bool MeasureSeeks(const Program& p, const std::string& scheme, int count, std::vector<double>& later) {
  std::optional<Running> r = Start(p, scheme);
  if (!r) return false;
  Pause(1.0);
  e2e::SinkCapture capture;
  std::string error;
  if (!capture.start(&error)) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    Close(*r);
    return false;
  }
  Drive({"fire", "SEEK"});
  Pause(0.5);
  Drive({"seek", "0", std::to_string(count), "1500", "CLICK"});
  Pause(1.0);
  const e2e::Pcm pcm = capture.stop();
  Close(*r);
  size_t from = 0;
  while (auto right = Onset(pcm, 1, from)) {
    const auto left = Onset(pcm, 0, *right > kRate / 10 ? *right - kRate / 10 : 0);
    if (!left) break;
    if (*left < *right + kRate / 2) later.push_back((static_cast<double>(*left) - *right) / kRate);
    from = std::max(*left, *right) + kRate / 2;
  }
  return !later.empty();
}

// Upward zero crossings of one channel, to within a fraction of a frame.
std::vector<double> Crossings(const e2e::Pcm& pcm, int channel, size_t from, size_t to) {
  std::vector<double> at;
  for (size_t f = from; f + 1 < to; ++f) {
    const int a = pcm.samples[2 * f + channel], b = pcm.samples[2 * f + 2 + channel];
    if (a < 0 && b >= 0) at.push_back(static_cast<double>(f) + static_cast<double>(-a) / (b - a));
  }
  return at;
}

// The streamed sine on the left against the same sine held whole on the
// right. Where the player fell behind, the sound server filled in silence
// on both channels; that is taken out and counted in `gaps`. What is left
// must keep the two channels' distance: a dropout of the stream's own
// (silence on the left alone) or a jump in it is a break. A distance that
// changes for a cycle or two at a gap's edge and comes back is not.
}  // namespace

int PhaseBreaks(const e2e::Pcm& captured, double& heard, double& gaps) {
  e2e::Pcm pcm = captured;
  pcm.samples.clear();
  int breaks = 0;
  size_t bothSilent = 0, leftSilent = 0;
  const size_t leftStart = Onset(captured, 0, 0).value_or(captured.frames());
  for (size_t f = 0; f < captured.frames(); ++f) {
    const int16_t l = captured.samples[2 * f], r = captured.samples[2 * f + 1];
    bothSilent = !l && !r ? bothSilent + 1 : 0;
    leftSilent = !l ? leftSilent + 1 : 0;
    if (leftSilent == 3 && bothSilent < 3 && f > leftStart) ++breaks;
    if (bothSilent < 3) pcm.samples.insert(pcm.samples.end(), {l, r});
  }
  gaps = captured.seconds() - pcm.seconds();
  heard = 0;
  const auto left = Onset(pcm, 0, 0), right = Onset(pcm, 1, 0);
  if (!left || !right || pcm.frames() < std::max(*left, *right) + 2 * kRate) return -1;
  const size_t from = std::max(*left, *right) + kRate, to = pcm.frames() - kRate / 10;
  const std::vector<double> l = Crossings(pcm, 0, from, to), r = Crossings(pcm, 1, from, to);
  const double period = kRate / kSineHz;
  auto apart = [&](double a, double b) {
    const double d = std::fmod(std::fabs(a - b), period);
    return std::min(d, period - d) > 1.0;
  };
  double distance = -1;
  int off = 0;  // cycles in a row at another distance
  size_t j = 0;
  for (double at : l) {
    while (j + 1 < r.size() && r[j + 1] <= at) ++j;
    if (r.empty() || r[j] > at) continue;
    const double d = at - r[j];
    if (distance < 0 || !apart(d, distance)) {
      off = 0;
      if (distance < 0) distance = d;
    } else if (++off == 3) {
      ++breaks;
      distance = d;
      off = 0;
    }
  }
  heard = static_cast<double>(to - from) / kRate;
  return breaks;
}

std::vector<double> TonesLost(const e2e::Pcm& pcm, const std::vector<double>& hz, double from, double to) {
  const e2e::Pcm part = pcm.slice(from, to);
  const size_t window = kRate / 100;
  // Windows the sound server cut: three frames or more of silence on both channels.
  std::vector<bool> cut(part.frames() / window, false);
  for (size_t f = 0, run = 0; f < cut.size() * window; ++f) {
    run = part.samples[2 * f] || part.samples[2 * f + 1] ? 0 : run + 1;
    if (run >= 3) cut[f / window] = true;
  }
  std::vector<double> lost;
  for (double tone : hz) {
    std::vector<double> levels = e2e::ToneLevelsDb(part, tone, 10, 0);
    std::vector<double> sorted = levels;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const double typical = sorted.empty() ? e2e::kSilenceDb : sorted[sorted.size() / 2];
    size_t missing = 0;
    for (size_t w = 0; w < levels.size() && w < cut.size(); ++w) missing += !cut[w] && levels[w] < typical - 10;
    lost.push_back(static_cast<double>(missing) / 100);
  }
  return lost;
}

namespace {

// The board and the floor play the streamed sine at once, each to its own
// sink, while stress-ng keeps both cores busy.
bool MeasureUnderLoad(const Program& board, const Program& floor, const std::string& scheme, double seconds,
                      int breaks[2], double heard[2], double gaps[2]) {
  const e2e::RunResult sink = e2e::RunCommand({"pactl", "load-module", "module-null-sink", "sink_name=clangster_floor",
                                              "rate=44100", "channels=2",
                                              "sink_properties=device.description=FloorOutput"});
  if (sink.exitCode != 0) return false;
  const std::string module = sink.output.substr(0, sink.output.find_first_of("\r\n"));
  // An idle null sink holds its monitor back; a silent stream keeps it in real time.
  auto keeper = e2e::Process::Start({"pacat", "--playback", "--device=clangster_floor", "--latency-msec=10", "--raw",
                                     "--format=s16le", "--rate=44100", "--channels=2", "/dev/zero"});
  setenv("CLANGSTER_FLOOR_OUTPUT", "FloorOutput", 1);
  setenv("CLANGSTER_FLOOR_PLAY", "SINE", 1);
  std::optional<Running> f = Start(floor, scheme, "", "^stream floor playing$");
  unsetenv("CLANGSTER_FLOOR_OUTPUT");
  unsetenv("CLANGSTER_FLOOR_PLAY");
  std::optional<Running> b = Start(board, scheme);
  bool ok = f && b;
  if (ok) {
    e2e::SinkCapture atBoard, atFloor("clangster_floor");
    auto stress = e2e::Process::Start({"stress-ng", "--cpu", "2", "--timeout", std::to_string(int(seconds) + 60)});
    ok = stress && atBoard.start() && atFloor.start();
    Drive({"fire", "SINE"});
    ok = ok && atBoard.waitUntilCaptured(seconds, seconds + 120) && atFloor.waitUntilCaptured(seconds, 120);
    const e2e::Pcm pcm[2] = {atBoard.stop(), atFloor.stop()};
    if (stress) stress->kill();
    for (int i = 0; i < 2; ++i) breaks[i] = PhaseBreaks(pcm[i], heard[i], gaps[i]);
  }
  if (b) Close(*b);
  if (f) f->process->kill();
  keeper.reset();
  e2e::RunCommand({"pactl", "unload-module", module});
  return ok;
}

// Six streamed tones, each its own file in a folder whose every read answers
// 100 ms late, and a sound held whole on the right: what each stream lost
// while all six played, and then what the other five lost while one file
// stopped answering for `hold` seconds (and what that one lost itself).
struct SlowFigures {
  double heard = 0, worst = -1;                       // six at 100 ms a read
  double held = 0, othersWorst = -1, stalledLost = -1;  // one of them stalled
};

const std::vector<double> kSlowTones = {500, 700, 900, 1100, 1300, 1500};

bool MeasureSlowFiles(const Program& board, const std::string& dir, bool quick, SlowFigures& f) {
  fs::create_directories(dir + "/slow");
  std::vector<std::string> files;
  for (size_t i = 0; i < kSlowTones.size(); ++i) {
    files.push_back("slow" + std::to_string(i + 1) + ".wav");
    WriteWav(dir + "/slow/" + files.back(), 100ull * kRate, Second(kSlowTones[i], 2000, true, false));
  }
  WriteWav(dir + "/short/REF.wav", 30 * kRate, Second(300, 2000, false, true));
  e2e::SlowFolder slow;
  std::string error;
  if (!slow.mount(dir + "/slow", &error)) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    return false;
  }
  slow.delay("*", 0.1);
  std::vector<Slot> slots;
  for (const std::string& file : files) slots.push_back({slow.path(file), "SLOW"});
  slots.push_back({dir + "/short/REF.wav", "SLOW"});
  std::optional<Running> r = Start(board, Scheme(dir + "/slow.scheme", slots));
  if (!r) return false;
  // Measured from when the heads are in; a fire while they load waits for them.
  bool ok = e2e::WaitForLoads(60);
  e2e::SinkCapture capture;
  ok = capture.start(&error) && ok;
  Drive({"fire", "SLOW"});
  const auto begun = capture.waitForSound(-60, 0);
  const double six = quick ? 4 : 30, hold = quick ? 3 : 10;
  ok = ok && begun && capture.waitUntilCaptured(*begun + 1 + six, six + 60);
  const double stalled = capture.capturedSeconds();
  slow.hold(files[0]);
  ok = ok && capture.waitUntilCaptured(stalled + hold, hold + 60);
  const double released = capture.capturedSeconds();
  slow.release(files[0]);
  ok = ok && capture.waitUntilCaptured(released + 1, 60);
  const e2e::Pcm pcm = capture.stop();
  Close(*r);
  if (!ok) return false;
  const std::vector<double> all = TonesLost(pcm, kSlowTones, *begun + 1, stalled);
  const std::vector<double> during = TonesLost(pcm, kSlowTones, stalled, released);
  f.heard = stalled - *begun - 1;
  std::fprintf(stderr, "bench: lost by each of six (ms):");
  for (double lost : all) std::fprintf(stderr, " %.0f", lost * 1e3);
  std::fprintf(stderr, "\n");
  f.worst = *std::max_element(all.begin(), all.end());
  f.held = released - stalled;
  f.othersWorst = *std::max_element(during.begin() + 1, during.end());
  f.stalledLost = during[0];
  return true;
}

std::string Fmt(std::optional<double> v, const char* format = "%.2f", double scale = 1.0) {
  if (!v) return "–";
  char s[32];
  std::snprintf(s, sizeof s, format, *v * scale);
  return s;
}

std::string Met(std::optional<bool> met) { return met ? (*met ? "yes" : "**no**") : "–"; }

// The two rows of the slow files.
std::string SlowRows(const SlowFigures& slow) {
  std::ostringstream t;
  t << "| Six streams, each file answering every read 100 ms late, " << Fmt(slow.heard, "%.0f")
    << " s: sound the worst of them lost (ms) | " << Fmt(slow.worst < 0 ? std::nullopt : std::optional(slow.worst), "%.0f", 1e3)
    << " | – | no gap | " << Met(slow.worst < 0 ? std::nullopt : std::optional<bool>(slow.worst == 0)) << " |\n";
  t << "| One of them stalled " << Fmt(slow.held, "%.0f")
    << " s: sound the five others lost, the worst (ms; the stalled one, silent once its read-ahead ran out) | "
    << Fmt(slow.othersWorst < 0 ? std::nullopt : std::optional(slow.othersWorst), "%.0f", 1e3) << " ("
    << Fmt(slow.stalledLost < 0 ? std::nullopt : std::optional(slow.stalledLost), "%.0f", 1e3) << ") | – | 0 ms | "
    << Met(slow.othersWorst < 0 ? std::nullopt : std::optional<bool>(slow.othersWorst == 0)) << " |\n";
  return t.str();
}

}  // namespace

std::string RunStreamBench(const StreamBenchOptions& o, const std::string& dir, bool& ok) {
  fs::create_directories(dir + "/short");
  fs::create_directories(dir + "/long");
  // Sounds started together play together: other sounds are left alone.
  e2e::RunCommand({"wine", "reg", "add", kKey, "/v", "onplay", "/t", "REG_SZ", "/d", "0", "/f"});
  const Program board = {"board", e2e::ClangsterExe(), "Clangster.exe", true};
  if (o.slowOnly) {
    SlowFigures slow;
    ok = MeasureSlowFiles(board, dir, o.quick, slow);
    return SlowRows(slow);
  }
  // Eighteen distinct hour-long files where the disk has room for them
  // (with 5 GB to spare), else one file under eighteen names.
  const std::uint64_t longFrames = o.quick ? 100ull * kRate : std::uint64_t{kHour} * kRate;
  struct statvfs disk{};
  const bool distinct =
      statvfs(dir.c_str(), &disk) == 0 &&
      static_cast<double>(disk.f_bavail) * disk.f_frsize > kSounds * static_cast<double>(WavBytes(longFrames)) + 5e9;
  std::vector<Slot> shortSounds, longSounds;
  const auto started = std::chrono::steady_clock::now();
  for (int i = 0; i < kSounds; ++i) {
    const double hz = 220.0 + 20.0 * i;
    shortSounds.push_back({dir + "/short/" + Name(i) + ".wav", Name(i)});
    WriteWav(shortSounds.back().path, (o.quick ? 2 : 30) * kRate, Second(hz, 1500));
    longSounds.push_back({dir + "/long/" + Name(i) + ".wav", Name(i)});
    if (distinct || i == 0)
      WriteWav(longSounds.back().path, longFrames, Second(hz, 1500));
    else if (!fs::exists(longSounds.back().path))
      fs::create_hard_link(longSounds[0].path, longSounds.back().path);
  }
  const double written = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  // The seek sound: silence but for a 0.3 s burst where each thousandth of it starts.
  const std::string seekPath = dir + "/long/SEEK.wav";
  if (!fs::exists(seekPath)) {
    WriteWav(seekPath, std::uint64_t{kHour} * kRate);
    const std::vector<int16_t> burst = Second(1000, 8000, true, false);
    std::fstream out(seekPath, std::ios::binary | std::ios::in | std::ios::out);
    for (int v = 0; v < 1000; ++v) {
      out.seekp(static_cast<std::streamoff>(44 + 4 * (std::uint64_t{kHour} * kRate * v / 1000)));
      out.write(reinterpret_cast<const char*>(burst.data()), static_cast<std::streamsize>(burst.size() * 2 * 3 / 10));
    }
  }
  WriteWav(dir + "/short/CLICK.wav", kRate / 10, Second(1000, 8000, false, true));
  // The same sine streamed on the left and held whole on the right.
  WriteWav(dir + "/long/SINE.wav", longFrames, Second(kSineHz, 8000, true, false));
  WriteWav(dir + "/short/SINE.wav", 30 * kRate, Second(kSineHz, 8000, false, true));
  const std::string schemeShort = Scheme(dir + "/short.scheme", shortSounds);
  const std::string schemeLong = Scheme(dir + "/long.scheme", longSounds);
  const std::string schemeSine =
      Scheme(dir + "/sine.scheme", {{dir + "/long/SINE.wav", "SINE", false}, {dir + "/short/SINE.wav", "SINE", true}});
  const std::string schemeSeek =
      Scheme(dir + "/seek.scheme", {{seekPath, "SEEK", false}, {dir + "/short/CLICK.wav", "CLICK", false}});

  const Program programs[2] = {
      board,
      {"floor", e2e::WinBuildDir() + "/tools/bench/clangster-stream-floor.exe", "clangster-stream-floor.exe", false}};
  Figures fig[2][2];  // [program][short, long]
  std::vector<double> later[2];
  int breaks[2] = {-1, -1};
  double heard[2] = {0, 0}, gaps[2] = {0, 0};
  for (int round = 0; round < o.rounds; ++round)
    for (int p = 0; p < 2; ++p)
      for (int s = 0; s < 2; ++s) {
        std::fprintf(stderr, "bench: streaming round %d, %s, %s sounds\n", round + 1, programs[p].label.c_str(),
                     s ? "hour-long" : "30 s");
        ok = MeasurePlaying(programs[p], s ? schemeLong : schemeShort, o,
                            dir + "/" + programs[p].label + std::to_string(s) + ".trace", fig[p][s]) && ok;
      }
  for (int p = 0; p < 2; ++p) {
    std::fprintf(stderr, "bench: seeks, %s\n", programs[p].label.c_str());
    ok = MeasureSeeks(programs[p], schemeSeek, o.quick ? 2 : 40, later[p]) && ok;
  }
  std::fprintf(stderr, "bench: six streams from files that answer late\n");
  SlowFigures slow;
  ok = MeasureSlowFiles(programs[0], dir, o.quick, slow) && ok;
  std::fprintf(stderr, "bench: streamed sine under stress-ng for %.0f s\n", o.stressSeconds);
  ok = MeasureUnderLoad(programs[0], programs[1], schemeSine, o.stressSeconds, breaks, heard, gaps) && ok;
  if (!o.quick) fs::remove_all(dir + "/long");  // the hour-long files: 11 GB

  std::ostringstream t;
  t << "Sounds: 18 × 30 s (held whole) against 18 × " << longFrames / kRate / 60 << " min ("
    << (distinct ? "18 distinct files" : "one file under 18 names: too little disk for 18")
    << ", written in " << Fmt(written, "%.0f") << " s and removed afterwards); " << o.rounds
    << " rounds; all 18 playing.\n\n"
    << "| figure | board | stream floor | target | met |\n|---|---|---|---|---|\n";
  auto ratio = [](const std::vector<double>& a, const std::vector<double>& b) -> std::optional<double> {
    const auto x = Median(a), y = Median(b);
    if (!x || !y || *y <= 0) return std::nullopt;
    return *x / *y;
  };
  // "long / short = ratio×" of one figure of one program.
  auto pair = [&](int p, std::vector<double> Figures::*figure, const char* format) {
    return Fmt(Median(fig[p][1].*figure), format) + " / " + Fmt(Median(fig[p][0].*figure), format) + " = " +
           Fmt(ratio(fig[p][1].*figure, fig[p][0].*figure)) + "×";
  };
  const auto loadRatio = ratio(fig[0][1].ready, fig[0][0].ready);
  const auto cpuRatio = ratio(fig[0][1].cpu, fig[0][0].cpu);
  const auto rss = Median(fig[0][1].rss);
  const auto seek = Median(later[0]);
  t << "| Scheme load, start to loaded: hour-long / 30 s (s) | " << pair(0, &Figures::ready, "%.2f") << " | "
    << pair(1, &Figures::ready, "%.2f") << " | ≤ 1.5× | "
    << Met(loadRatio ? std::optional<bool>(*loadRatio <= 1.5) : std::nullopt) << " |\n";
  t << "| Resident memory, 18 playing: hour-long / 30 s (MB) | "
    << Fmt(rss, "%.0f") << " / " << Fmt(Median(fig[0][0].rss), "%.0f") << " | " << Fmt(Median(fig[1][1].rss), "%.0f")
    << " / " << Fmt(Median(fig[1][0].rss), "%.0f") << " | < 300 MB | "
    << Met(rss ? std::optional<bool>(*rss < 300) : std::nullopt) << " |\n";
  t << "| CPU, 18 playing: hour-long / 30 s (% of a core) | " << pair(0, &Figures::cpu, "%.2f") << " | "
    << pair(1, &Figures::cpu, "%.2f") << " | ≤ 1.3× | "
    << Met(cpuRatio ? std::optional<bool>(*cpuRatio <= 1.3) : std::nullopt) << " |\n";
  for (int s = 1; s >= 0; --s) {
    const auto board99 = Percentile(fig[0][s].copyToPlay, 99);
    t << "| WM_COPYDATA in → Play, " << (s ? "streamed" : "held whole") << " sound, 17 playing (ms, median / p99, n="
      << fig[0][s].copyToPlay.size() << ") | " << Fmt(Median(fig[0][s].copyToPlay), "%.3f", 1e3) << " / "
      << Fmt(board99, "%.3f", 1e3) << " | " << Fmt(Median(fig[1][s].copyToPlay), "%.3f", 1e3) << " / "
      << Fmt(Percentile(fig[1][s].copyToPlay, 99), "%.3f", 1e3) << " | p99 < 1 ms | "
      << Met(board99 ? std::optional<bool>(*board99 < 1e-3) : std::nullopt) << " |\n";
  }
  t << "| Seek heard after a start of a sound held whole sent with it (ms, median / max, n=" << later[0].size()
    << ") | " << Fmt(seek, "%.1f", 1e3) << " / "
    << Fmt(later[0].empty() ? std::nullopt : std::optional<double>(*std::max_element(later[0].begin(), later[0].end())),
           "%.1f", 1e3)
    << " | " << Fmt(Median(later[1]), "%.1f", 1e3) << " / "
    << Fmt(later[1].empty() ? std::nullopt : std::optional<double>(*std::max_element(later[1].begin(), later[1].end())),
           "%.1f", 1e3)
    << " | ≤ 50 ms | " << Met(seek ? std::optional<bool>(*std::max_element(later[0].begin(), later[0].end()) <= 0.05)
                                   : std::nullopt)
    << " |\n";
  t << SlowRows(slow);
  t << "| Streamed " << kSineHz << " Hz sine against the same held whole, " << o.stressSeconds
    << " s under `stress-ng --cpu 2`: dropouts or jumps of the stream's own in the time heard (silence the sound "
       "server put in on both channels) | "
    << breaks[0] << " in " << Fmt(heard[0], "%.0f") << " s (" << Fmt(gaps[0], "%.2f") << " s) | " << breaks[1]
    << " in " << Fmt(heard[1], "%.0f") << " s (" << Fmt(gaps[1], "%.2f") << " s) | none | "
    << Met(breaks[0] < 0 ? std::nullopt : std::optional<bool>(breaks[0] == 0)) << " |\n";
  return t.str();
}

}  // namespace bench
