// clangster-bench: measures the board against the floor program in one run
// and writes a table of ratios (`make bench`). Runs inside
// scripts/with-test-env.sh. Each figure is the median of several windows;
// board and floor take turns, so both see the same machine.
//   clangster-bench [--quick] [--out FILE] [--rounds N] [--window S]
//                   [--cpu-only] [--hold S] [--stream-only] [--slow-files-only]
// --quick runs every step once with short sounds and windows (the smoke
// test); --out names the Markdown file whose bench section is rewritten.
// --cpu-only measures only the CPU with none and with 18 sounds playing,
// and the load times (for a quick look at a change); --hold waits that long with 18 playing
// before measuring them and prints the program's pid, for a profiler.
// --stream-only runs only the streaming part (StreamBench.cpp), which the
// full run does last, --slow-files-only only its six streams from slow
// files; --osc-only only the OSC part (OscBench.cpp);
// --outputs-only only the sound-output part (OutputBench.cpp).
#include <fcntl.h>
#include <signal.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "BenchProcesses.h"
#include "BenchStats.h"
#include "DecodeBench.h"
#include "OscBench.h"
#include "OutputBench.h"
#include "StreamBench.h"
#include "Harness.h"
#include "Wav.h"
#include "scheme/SchemeFormat.h"

namespace fs = std::filesystem;
using namespace bench;

namespace {

constexpr int kRate = 44100;
constexpr int kSounds = 18;
const std::vector<int> kPlayingCounts = {0, 1, 6, 12, 18};

struct Options {
  bool quick = false;
  std::string out;
  int rounds = 2;
  double window = 2.0;   // seconds of one CPU window
  int windows = 3;       // windows per level and round
  int soundSeconds = 60;
  int latencyPlays = 100;  // per trigger kind and round
  int e2ePlays = 10;       // per sink run
  int sinkRuns = 6;        // short runs of each program for the sound at the sink
  bool cpuOnly = false;
  double hold = 0;         // seconds with 18 playing before they are measured
  bool streamOnly = false;
  bool slowFilesOnly = false;
  bool oscOnly = false;
  bool decodeOnly = false;
  bool outputsOnly = false;
};

double Clock(clockid_t id) {
  timespec ts{};
  clock_gettime(id, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}
double Mono() { return Clock(CLOCK_MONOTONIC); }
void Sleep(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

std::string SoundName(int i) {
  return std::string("BENCH ") + static_cast<char>('0' + (i + 1) / 10) + static_cast<char>('0' + (i + 1) % 10);
}

// 18 looping stereo tones, loud from their first sample so that their start
// is easy to find in a recording; rewritten only when missing.
std::string MakeScheme(const std::string& dir, int seconds) {
  fs::create_directories(dir);
  std::string text;
  for (int i = 0; i < kSounds; ++i) {
    const std::string path = dir + "/" + SoundName(i) + ".wav";
    const size_t frames = static_cast<size_t>(seconds) * kRate;
    if (!fs::exists(path) || fs::file_size(path) != 44 + frames * 4) {
      std::vector<int16_t> samples(frames * 2);
      const double hz = 220.0 + 20.0 * i;
      for (size_t f = 0; f < frames; ++f) {
        // A whole number of cycles per second: the loop joins without a click.
        const auto v = static_cast<int16_t>(8000 * std::sin(2 * M_PI * hz * static_cast<double>(f % kRate) / kRate));
        samples[2 * f] = samples[2 * f + 1] = v;
      }
      const std::vector<uint8_t> wav = demo::EncodeWav16(samples, 2, kRate);
      std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(wav.data()),
                                                  static_cast<std::streamsize>(wav.size()));
    }
    scheme::SlotLine line;
    line.path = e2e::ToWindowsPath(path);
    line.name = SoundName(i);
    line.loop = true;
    text += scheme::FormatSlotFields(line) + "\r\n";
  }
  text += scheme::FormatColoursLine({0x32FF00, 0x0F3A00}) + "\r\n" + scheme::FormatLayoutLine(false) + "\r\n";
  const std::string schemePath = dir + "/bench.scheme";
  std::ofstream(schemePath, std::ios::binary) << text;
  return schemePath;
}

// --- processes --------------------------------------------------------------

std::optional<pid_t> XServerPid() {
  const char* display = std::getenv("DISPLAY");
  if (!display || display[0] != ':') return std::nullopt;
  const int n = std::atoi(display + 1);
  const std::string lock = e2e::ReadWholeFile("/tmp/.X" + std::to_string(n) + "-lock");
  const int pid = std::atoi(lock.c_str());
  return pid > 0 ? std::optional<pid_t>(pid) : std::nullopt;
}

double RssMb(pid_t pid) {
  std::istringstream in(e2e::ReadWholeFile("/proc/" + std::to_string(pid) + "/status"));
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  return 0;
}

// Busy and total jiffies of the whole machine.
std::pair<double, double> MachineJiffies() {
  std::istringstream in(e2e::ReadWholeFile("/proc/stat"));
  std::string cpu;
  in >> cpu;
  double v[8] = {};
  for (double& x : v) in >> x;
  const double idle = v[3] + v[4];
  double total = 0;
  for (double x : v) total += x;
  return {total - idle, total};
}

// --- sound at the sink ------------------------------------------------------

// Records the test sink's monitor and remembers when each block arrived, so
// that a frame can be placed on the monotonic clock.
class Capture {
 public:
  bool Start() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    const std::string device = std::string(std::getenv("CLANGSTER_SINK") ? std::getenv("CLANGSTER_SINK")
                                                                         : "clangster_sink") + ".monitor";
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], 1);
      execlp("parec", "parec", ("--device=" + device).c_str(), "--latency-msec=5", "--raw", "--format=s16le",
             "--rate=44100", "--channels=2", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    fd_ = fds[0];
    reader_ = std::thread([this] { Read(); });
    for (int i = 0; i < 300; ++i) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (samples_.size() >= 2 * kRate / 5) return true;
      }
      Sleep(0.01);
    }
    return false;
  }
  void Stop() {
    if (pid_ > 0) kill(pid_, SIGTERM);
    if (reader_.joinable()) reader_.join();
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    if (fd_ >= 0) close(fd_);
    pid_ = -1;
    fd_ = -1;
  }
  ~Capture() { Stop(); }

  // Monotonic time of frame 0 as the blocks around `mono` place it: every
  // block was recorded before it arrived, so the earliest bound is the
  // closest. Only blocks within a few seconds count: the sink's sample clock
  // drifts against the monotonic clock (about 0.3 ms a second on the
  // machine this was written on), so a bound taken at the other end of a
  // capture misplaces the frame by milliseconds.
  double FrameZeroNear(double mono) const {
    constexpr double kSpan = 3.0;
    double t0 = 1e300;
    for (const Mark& m : marks_)
      if (std::fabs(m.mono - mono) <= kSpan) t0 = std::min(t0, m.mono - static_cast<double>(m.frames) / kRate);
    return t0;
  }
  // A performance-counter time (Wine counts CLOCK_MONOTONIC_RAW) on the monotonic clock.
  double RawToMono(double raw) const {
    const Mark* best = nullptr;
    for (const Mark& m : marks_)
      if (!best || std::fabs(m.raw - raw) < std::fabs(best->raw - raw)) best = &m;
    return best ? raw + (best->mono - best->raw) : raw;
  }
  const std::vector<int16_t>& samples() const { return samples_; }

 private:
  struct Mark {
    size_t frames;
    double mono, raw;
  };
  void Read() {
    std::vector<uint8_t> buf(8192);
    std::vector<uint8_t> pending;
    for (;;) {
      const ssize_t n = read(fd_, buf.data(), buf.size());
      const double mono = Mono(), raw = Clock(CLOCK_MONOTONIC_RAW);
      if (n <= 0) return;
      pending.insert(pending.end(), buf.begin(), buf.begin() + n);
      std::lock_guard<std::mutex> lock(mutex_);
      const size_t whole = pending.size() / 2 * 2;
      for (size_t i = 0; i < whole; i += 2)
        samples_.push_back(static_cast<int16_t>(pending[i] | (pending[i + 1] << 8)));
      pending.erase(pending.begin(), pending.begin() + static_cast<long>(whole));
      marks_.push_back({samples_.size() / 2, mono, raw});
    }
  }
  pid_t pid_ = -1;
  int fd_ = -1;
  std::thread reader_;
  std::mutex mutex_;
  std::vector<int16_t> samples_;
  std::vector<Mark> marks_;
};

// --- one program ------------------------------------------------------------

struct Program {
  std::string label;  // "board" or "floor"
  std::string exe, comm;
  std::vector<std::string> args;
  // Figures collected over all rounds.
  std::map<int, std::vector<double>> cpuOwn, cpuAll;  // by number of playing sounds
  std::vector<double> ready, shown, rss, copyToPlay, keyToPlay, hotkeyToPlay, sentToPlay, e2e;
  std::vector<double> e2eRunMedians;  // one per sink run
};

std::string DriverExe() { return e2e::WinBuildDir() + "/tools/bench/clangster-bench-driver.exe"; }

std::vector<long long> Drive(const std::vector<std::string>& args) {
  const e2e::RunResult r = e2e::RunWindows(DriverExe(), args, 120);
  if (r.exitCode != 0) std::fprintf(stderr, "bench: driver %s failed: %s\n", args[0].c_str(), r.output.c_str());
  return ParseSent(r.output);
}

struct Running {
  std::unique_ptr<e2e::Process> process;
  pid_t pid = 0;
};

// Starts a program (writing time stamps to tracePath, if one is given) and
// waits until its start-up work is done.
std::optional<Running> Start(const Program& p, const Options& o, const std::string& tracePath) {
  if (!tracePath.empty()) setenv("CLANGSTER_TRACE", e2e::ToWindowsPath(tracePath).c_str(), 1);
  Running r;
  r.process = e2e::StartWindows(p.exe, p.args);
  unsetenv("CLANGSTER_TRACE");
  if (!r.process || !e2e::WaitForWindow(" - Clangster$", *r.process, 60)) {
    std::fprintf(stderr, "bench: %s did not start\n", p.label.c_str());
    return std::nullopt;
  }
  std::optional<pid_t> pid;
  for (int i = 0; i < 100 && !(pid = FindProcess(p.comm)); ++i) Sleep(0.05);
  if (!pid) {
    std::fprintf(stderr, "bench: no process %s\n", p.comm.c_str());
    return std::nullopt;
  }
  r.pid = *pid;
  Sleep(o.quick ? 0.3 : 1.5);  // start-up work done
  return r;
}

void Close(const Program& p, e2e::Process& process) {
  Drive({"close"});
  if (!process.wait(30)) {
    std::fprintf(stderr, "bench: %s did not close\n", p.label.c_str());
    process.kill();
  }
}

// Trigger to sound at the sink, in a program that has just started: the
// first sound played and paused again and again. Each run of a program
// keeps a stream to the sound server whose buffer holds a few ms more or
// less than another run's, for as long as it runs, so this figure comes
// from several short runs of each program.
bool RunForSink(Program& p, const Options& o) {
  std::optional<Running> running = Start(p, o, "");
  if (!running) return false;
  Capture capture;
  std::vector<long long> sent;
  if (capture.Start()) {
    sent = Drive({"toggle", SoundName(0), std::to_string(2 * o.e2ePlays), "250"});
    Sleep(0.3);
  } else {
    std::fprintf(stderr, "bench: no sound from the sink's monitor\n");
  }
  capture.Stop();
  Close(p, *running->process);
  std::vector<double> mine;
  for (size_t i = 0; i < sent.size(); i += 2) {
    const double at = capture.RawToMono(static_cast<double>(sent[i]) / 1e7);
    const double frameZero = capture.FrameZeroNear(at);
    const double from = (at - frameZero) * kRate;
    if (from < 0) continue;
    if (auto onset = OnsetFrame(capture.samples(), 2, static_cast<size_t>(from), 2000)) {
      const double latency = static_cast<double>(*onset) / kRate + frameZero - at;
      if (latency < 1.0) mine.push_back(latency);
    }
  }
  if (auto m = Median(mine)) {
    std::fprintf(stderr, "bench: %s, sound at the sink: median %.1f ms of %zu\n", p.label.c_str(), *m * 1e3,
                 mine.size());
    p.e2eRunMedians.push_back(*m);
  }
  p.e2e.insert(p.e2e.end(), mine.begin(), mine.end());
  return true;
}

bool RunOnce(Program& p, const Options& o, const std::string& traceDir, int round, pid_t xserver,
             pid_t wineserver) {
  const std::string tracePath = traceDir + "/" + p.label + "-" + std::to_string(round) + ".trace";
  fs::remove(tracePath);
  std::optional<Running> running = Start(p, o, tracePath);
  if (!running) return false;
  e2e::Process& process = *running->process;
  const pid_t pid = running->pid;
  p.rss.push_back(RssMb(pid));

  auto measure = [&](int playing) {
    for (int w = 0; w < o.windows; ++w) {
      const double t0 = Mono(), own0 = CpuSeconds(pid), x0 = CpuSeconds(xserver), s0 = CpuSeconds(wineserver);
      Sleep(o.window);
      const double t1 = Mono(), own1 = CpuSeconds(pid), x1 = CpuSeconds(xserver), s1 = CpuSeconds(wineserver);
      const double own = (own1 - own0) / (t1 - t0) * 100;
      p.cpuOwn[playing].push_back(own);
      p.cpuAll[playing].push_back(own + ((x1 - x0) + (s1 - s0)) / (t1 - t0) * 100);
    }
  };
  // Loaded, nothing playing: before any sound has played, so that no paused
  // slot keeps its refresh timer running.
  measure(0);

  int playing = 0;
  for (int target : kPlayingCounts) {
    if (target == 0 || (o.cpuOnly && target != kSounds)) continue;
    std::vector<std::string> fire = {"fire"};
    for (; playing < target; ++playing) fire.push_back(SoundName(playing));
    if (fire.size() > 1) Drive(fire);
    Sleep(o.quick ? 0.2 : 0.5);
    if (target == kSounds && o.hold > 0) {
      std::fprintf(stderr, "bench: %s (pid %d) has %d playing for %.0f s\n", p.label.c_str(), pid, kSounds, o.hold);
      Sleep(o.hold);
    }
    measure(target);
  }
  if (o.cpuOnly) {
    Close(p, process);
    const Trace trace = ParseTrace(e2e::ReadWholeFile(tracePath));
    if (auto t = trace.First("ready")) p.ready.push_back(*t);
    if (auto t = trace.First("shown")) p.shown.push_back(*t);
    return true;
  }

  // Trigger latency with all other sounds playing: each trigger toggles the
  // first sound, so every second one plays it.
  const std::string count = std::to_string(2 * o.latencyPlays);
  const std::vector<long long> sent = Drive({"toggle", SoundName(0), count, "8"});
  Drive({"keys", "0x31", count, "8"});
  Drive({"keys", "0x74", count, "8", "0x11"});  // Ctrl+F5, slot 1's hotkey (the floor has none)
  Close(p, process);

  const Trace trace = ParseTrace(e2e::ReadWholeFile(tracePath));
  if (!trace.First("start"))
    std::fprintf(stderr, "bench: %s left no time stamps; %s\n", p.label.c_str(), process.endReport().c_str());
  if (auto t = trace.First("ready")) p.ready.push_back(*t);
  if (auto t = trace.First("shown")) p.shown.push_back(*t);
  for (double v : trace.TriggerToPlay("copydata")) p.copyToPlay.push_back(v);
  for (double v : trace.TriggerToPlay("key")) p.keyToPlay.push_back(v);
  for (double v : trace.TriggerToPlay("hotkey")) p.hotkeyToPlay.push_back(v);
  for (double v : SentToPlay(sent, trace.Plays(), trace.frequency)) p.sentToPlay.push_back(v);
  return true;
}

// --- report -----------------------------------------------------------------

std::string Fmt(std::optional<double> v, const char* format = "%.2f") {
  if (!v) return "–";
  char s[32];
  std::snprintf(s, sizeof s, format, *v);
  return s;
}

std::string FirstLine(const std::string& path, const std::string& key) {
  std::istringstream in(e2e::ReadWholeFile(path));
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) {
      const size_t colon = line.find(':');
      return colon == std::string::npos ? line : line.substr(line.find_first_not_of(" \t", colon + 1));
    }
  return "?";
}

struct Row {
  std::string figure, board, floor, compare, target;
  std::optional<bool> met;
};

std::string Table(const std::vector<Row>& rows) {
  std::string t = "| figure | board | floor | board vs floor | target | met |\n|---|---|---|---|---|---|\n";
  for (const Row& r : rows)
    t += "| " + r.figure + " | " + r.board + " | " + r.floor + " | " + r.compare + " | " + r.target + " | " +
         (r.met ? (*r.met ? "yes" : "**no**") : "–") + " |\n";
  return t;
}

std::optional<double> Ratio(std::optional<double> a, std::optional<double> b) {
  if (!a || !b || *b <= 0) return std::nullopt;
  return *a / *b;
}

std::vector<Row> Rows(Program& board, Program& floor, double soundMb) {
  std::vector<Row> rows;
  auto cpu = [](Program& p, bool all, int n) { return Median(all ? p.cpuAll[n] : p.cpuOwn[n]); };
  auto ratioRow = [&](const std::string& figure, std::optional<double> b, std::optional<double> f, double limit,
                      const char* unit) {
    const auto ratio = Ratio(b, f);
    rows.push_back({figure, Fmt(b) + unit, Fmt(f) + unit, Fmt(ratio) + "×", "≤ " + Fmt(limit, "%.1f") + "×",
                    ratio ? std::optional<bool>(*ratio <= limit) : std::nullopt});
  };
  ratioRow("CPU, 18 playing: process (% of a core)", cpu(board, false, 18), cpu(floor, false, 18), 1.5, "");
  ratioRow("CPU, 18 playing: process + X + wineserver", cpu(board, true, 18), cpu(floor, true, 18), 2.0, "");
  for (bool all : {false, true}) {
    const auto b = cpu(board, all, 0), f = cpu(floor, all, 0);
    std::optional<double> diff;
    if (b && f) diff = *b - *f;
    rows.push_back({all ? "CPU, loaded, none playing: with X + wineserver" : "CPU, loaded, none playing: process",
                    Fmt(b), Fmt(f), Fmt(diff, "%+.2f") + " points", "≤ +0.3 points",
                    diff ? std::optional<bool>(*diff <= 0.3) : std::nullopt});
  }
  std::vector<int> counts;
  std::vector<double> boardCpu, floorCpu;
  for (int n : kPlayingCounts) {
    if (n == 0) continue;
    const auto b = cpu(board, true, n), f = cpu(floor, true, n);
    if (b && f) {
      counts.push_back(n);
      boardCpu.push_back(*b);
      floorCpu.push_back(*f);
    }
    rows.push_back({"CPU with X + wineserver, " + std::to_string(n) + " playing", Fmt(b), Fmt(f),
                    Fmt(Ratio(b, f)) + "×", "", std::nullopt});
  }
  const std::vector<double> slopes = Slopes(counts, boardCpu);
  std::string slopeText;
  for (double s : slopes) slopeText += (slopeText.empty() ? "" : ", ") + Fmt(s, "%.3f");
  std::string floorSlopes;
  for (double s : Slopes(counts, floorCpu)) floorSlopes += (floorSlopes.empty() ? "" : ", ") + Fmt(s, "%.3f");
  rows.push_back({"CPU added per sound, 1→6→12→18 (points)", slopeText, floorSlopes, "", "no later step steeper",
                  slopes.empty() ? std::nullopt : std::optional<bool>(AtMostLinear(slopes, 0.1))});
  ratioRow("Scheme load, start to loaded (s)", Median(board.ready), Median(floor.ready), 1.3, "");
  ratioRow("Start to first idle, window painted (s)", Median(board.shown), Median(floor.shown), 99, "");
  rows.back().target = "";
  rows.back().met.reset();
  {
    const auto b = Median(board.rss), f = Median(floor.rss);
    rows.push_back({"Resident memory (MB), " + Fmt(soundMb, "%.0f") + " MB of sound", Fmt(b, "%.0f"),
                    Fmt(f, "%.0f"), b ? Fmt(*b - soundMb, "%+.0f") + " MB over the sound" : "–",
                    "≤ sound + 40 MB", b ? std::optional<bool>(*b <= soundMb + 40) : std::nullopt});
  }
  auto latencyRow = [&](const std::string& figure, std::vector<double>& b, std::vector<double>& f) {
    const auto b99 = Percentile(b, 99), f99 = Percentile(f, 99);
    rows.push_back({figure + " (ms, median / p99, n=" + std::to_string(b.size()) + ")",
                    Fmt(Median(b) ? std::optional<double>(*Median(b) * 1e3) : std::nullopt, "%.3f") + " / " +
                        Fmt(b99 ? std::optional<double>(*b99 * 1e3) : std::nullopt, "%.3f"),
                    Fmt(Median(f) ? std::optional<double>(*Median(f) * 1e3) : std::nullopt, "%.3f") + " / " +
                        Fmt(f99 ? std::optional<double>(*f99 * 1e3) : std::nullopt, "%.3f"),
                    "", "p99 < 1 ms", b99 ? std::optional<bool>(*b99 < 1e-3) : std::nullopt});
  };
  latencyRow("WM_COPYDATA in → Play called", board.copyToPlay, floor.copyToPlay);
  latencyRow("Key in → Play called", board.keyToPlay, floor.keyToPlay);
  latencyRow("Hotkey in → Play called", board.hotkeyToPlay, floor.hotkeyToPlay);
  latencyRow("Trigger sent → Play called", board.sentToPlay, floor.sentToPlay);
  rows.back().target = "";
  rows.back().met.reset();
  {
    const auto b = Median(board.e2e), f = Median(floor.e2e);
    std::optional<double> diff;
    if (b && f) diff = (*b - *f) * 1e3;
    // The runs' own medians show how far the sound stack moves the figure
    // from one run of a program to the next.
    auto withRuns = [](std::optional<double> m, const std::vector<double>& runs) {
      if (!m) return std::string("–");
      std::string text = Fmt(*m * 1e3, "%.1f");
      if (runs.size() > 1)
        text += " (runs " + Fmt(*std::min_element(runs.begin(), runs.end()) * 1e3, "%.0f") + "–" +
                Fmt(*std::max_element(runs.begin(), runs.end()) * 1e3, "%.0f") + ")";
      return text;
    };
    rows.push_back({"Trigger sent → sound at the sink (ms, median, n=" + std::to_string(board.e2e.size()) + ")",
                    withRuns(b, board.e2eRunMedians), withRuns(f, floor.e2eRunMedians), Fmt(diff, "%+.1f") + " ms",
                    "≤ +2 ms", diff ? std::optional<bool>(*diff <= 2.0) : std::nullopt});
  }
  return rows;
}

void WriteSection(const std::string& path, const std::string& section) { e2e::WriteMarkedSection(path, "bench", section); }

// The streaming part, with its own section of the file.
bool RunStreaming(const Options& o) {
  StreamBenchOptions so;
  so.quick = o.quick;
  so.rounds = o.rounds;
  so.window = o.window;
  so.windows = o.windows;
  if (o.quick) so.stressSeconds = 5;
  so.slowOnly = o.slowFilesOnly;
  bool ok = true;
  const std::string section =
      RunStreamBench(so, e2e::HostBuildDir() + (o.quick ? "/bench-stream-quick" : "/bench-stream"), ok);
  e2e::ResetSettings();
  std::printf("%s", section.c_str());
  if (!o.out.empty() && !o.slowFilesOnly) e2e::WriteMarkedSection(o.out, "stream-bench", section);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--quick") {
      o.quick = true;
      o.rounds = 1;
      o.window = 0.3;
      o.windows = 1;
      o.soundSeconds = 2;
      o.latencyPlays = 2;
      o.e2ePlays = 2;
      o.sinkRuns = 1;
    } else if (a == "--out" && i + 1 < argc) {
      o.out = argv[++i];
    } else if (a == "--rounds" && i + 1 < argc) {
      o.rounds = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--window" && i + 1 < argc) {
      o.window = std::max(0.1, std::atof(argv[++i]));
    } else if (a == "--cpu-only") {
      o.cpuOnly = true;
    } else if (a == "--stream-only") {
      o.streamOnly = true;
    } else if (a == "--slow-files-only") {
      o.streamOnly = o.slowFilesOnly = true;
    } else if (a == "--osc-only") {
      o.oscOnly = true;
    } else if (a == "--decode-only") {
      o.decodeOnly = true;
    } else if (a == "--outputs-only") {
      o.outputsOnly = true;
    } else if (a == "--hold" && i + 1 < argc) {
      o.hold = std::max(0.0, std::atof(argv[++i]));
    } else {
      std::fprintf(stderr,
                   "usage: clangster-bench [--quick] [--out FILE] [--rounds N] [--window S] [--cpu-only] "
                   "[--hold S] [--stream-only] [--slow-files-only] [--osc-only] [--decode-only] [--outputs-only]\n");
      return 2;
    }
  }
  if (!e2e::InTestEnvironment()) {
    std::fprintf(stderr, "clangster-bench: run inside scripts/with-test-env.sh (make bench)\n");
    return 2;
  }
  if (o.streamOnly) return RunStreaming(o) ? 0 : 1;
  if (o.decodeOnly) return RunDecodeBench(o.quick, o.rounds, o.out) ? 0 : 1;
  const std::string dir = e2e::HostBuildDir() + (o.quick ? "/bench-quick" : "/bench");
  const std::string schemePath = MakeScheme(dir + "/sounds", o.soundSeconds);
  const double soundMb = kSounds * (44.0 + o.soundSeconds * kRate * 4.0) / (1024 * 1024);
  if (o.oscOnly) return RunOscBench(o.quick, schemePath, o.out) ? 0 : 1;
  if (o.outputsOnly) return RunOutputBench(o.quick, schemePath, o.out) ? 0 : 1;

  // The board opens the scheme of its last session and leaves other sounds
  // alone when one starts, as the measurements need; slot 1 has a hotkey.
  const std::string key = "HKCU\\Software\\Marrowick\\Clangster";
  e2e::RunCommand({"wine", "reg", "add", key, "/v", "LastFile", "/t", "REG_SZ", "/d",
                   e2e::ToWindowsPath(schemePath), "/f"});
  e2e::RunCommand({"wine", "reg", "add", key, "/v", "onplay", "/t", "REG_SZ", "/d", "0", "/f"});
  e2e::RunCommand({"wine", "reg", "add", key, "/v", "Hotkey1", "/t", "REG_SZ", "/d", "628", "/f"});  // Ctrl+F5

  // A desktop session loads an X resource database; a bare Xvfb has none,
  // and then Xlib looks for ~/.Xdefaults on every font selection Wine
  // makes, i.e. at every BeginPaint. Programs started later read this one.
  if (e2e::RunCommand({"xprop", "-root", "RESOURCE_MANAGER"}).output.find("not found") != std::string::npos)
    e2e::RunCommand({"xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER",
                     "clangster.bench:\ttrue\n"});

  const std::optional<pid_t> xserver = XServerPid(), wineserver = FindProcess("wineserver", true);
  if (!xserver || !wineserver) {
    std::fprintf(stderr, "clangster-bench: X server or wineserver not found\n");
    return 1;
  }
  Program board, floor;
  board.label = "board";
  board.exe = e2e::ClangsterExe();
  board.comm = "Clangster.exe";
  floor.label = "floor";
  floor.exe = e2e::WinBuildDir() + "/tools/bench/clangster-floor.exe";
  floor.comm = "clangster-floor.exe";
  floor.args = {e2e::ToWindowsPath(schemePath)};

  double load0[3];
  getloadavg(load0, 3);
  const auto machine0 = MachineJiffies();
  const double ours0 = CpuSeconds(*xserver) + CpuSeconds(*wineserver);
  const double started = Mono();
  double programs = 0;  // CPU seconds of the measured programs themselves, summed over their runs
  bool ok = true;
  for (int round = 0; round < o.rounds && ok; ++round) {
    // Alternate which goes first, so neither always meets a warmer machine.
    Program* order[2] = {&floor, &board};
    if (round % 2) std::swap(order[0], order[1]);
    for (Program* p : order) {
      std::fprintf(stderr, "bench: round %d, %s\n", round + 1, p->label.c_str());
      ok = RunOnce(*p, o, dir, round, *xserver, *wineserver) && ok;
    }
  }
  for (int run = 0; run < o.sinkRuns && ok && !o.cpuOnly; ++run) {
    Program* order[2] = {&floor, &board};
    if (run % 2) std::swap(order[0], order[1]);
    std::fprintf(stderr, "bench: sink run %d\n", run + 1);
    for (Program* p : order) ok = RunForSink(*p, o) && ok;
  }
  if (!o.cpuOnly) ok = RunOscBench(o.quick, schemePath, o.out) && ok;
  if (!o.cpuOnly) ok = RunDecodeBench(o.quick, o.rounds, o.out) && ok;
  if (!o.cpuOnly) ok = RunOutputBench(o.quick, schemePath, o.out) && ok;
  const double elapsed = Mono() - started;
  e2e::ResetSettings();  // what the bench set up, and what the board stored at its close
  const auto machine1 = MachineJiffies();
  double load1[3];
  getloadavg(load1, 3);
  for (Program* p : {&board, &floor})
    for (auto& [n, v] : p->cpuOwn)
      for (double x : v) programs += x / 100 * o.window;
  const double servers = CpuSeconds(*xserver) + CpuSeconds(*wineserver) - ours0;
  const double machineBusy = (machine1.first - machine0.first) / static_cast<double>(sysconf(_SC_CLK_TCK));
  const double others = std::max(0.0, machineBusy - servers - programs) / elapsed;

  utsname u{};
  uname(&u);
  char when[64];
  const std::time_t now = std::time(nullptr);
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
  const std::string wine = e2e::RunCommand({"wine", "--version"}).output;
  char machineText[768];
  std::snprintf(machineText, sizeof machineText,
                "Run %s on %s, %ld cores, %s %s, %s. Load average %.2f before, %.2f after; "
                "other programs used about %.2f cores during the run (%.0f s). %d rounds, CPU windows of %.1f s "
                "(%d per level and round).\n",
                when, FirstLine("/proc/cpuinfo", "model name").c_str(), sysconf(_SC_NPROCESSORS_ONLN), u.sysname,
                u.release, wine.substr(0, wine.find('\n')).c_str(), load0[0], load1[0], others, elapsed, o.rounds,
                o.window, o.windows);
  const std::string section = std::string(machineText) + "\n" + Table(Rows(board, floor, soundMb));
  std::printf("%s", section.c_str());
  if (!o.out.empty()) WriteSection(o.out, section);
  // Every step must have left its figures; a missing one means a step broke.
  for (Program* p : {&board, &floor}) {
    if (o.cpuOnly) break;
    const bool complete = p->cpuOwn.size() == kPlayingCounts.size() && !p->ready.empty() &&
                          !p->copyToPlay.empty() && !p->keyToPlay.empty() && !p->e2e.empty() && !p->rss.empty();
    if (!complete) {
      std::fprintf(stderr, "clangster-bench: figures of the %s are missing\n", p->label.c_str());
      ok = false;
    }
  }
  if (!o.cpuOnly) ok = RunStreaming(o) && ok;
  return ok ? 0 : 1;
}
