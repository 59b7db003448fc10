#include "OutputBench.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "BenchProcesses.h"
#include "BenchStats.h"
#include "BoardDriver.h"
#include "Harness.h"
#include "resource.h"

namespace fs = std::filesystem;

namespace bench {

namespace {

constexpr char kSink[] = "clangster_bench_out";
constexpr char kDescription[] = "BenchOutput";
constexpr double kSoundDb = -30;
constexpr int kIdOk = 1;

// The bench's own sink with a silent stream that keeps its monitor in real time.
struct Sink {
  std::string module;
  std::unique_ptr<e2e::Process> keeper;

  bool Load() {
    const e2e::RunResult r = e2e::RunCommand({"pactl", "load-module", "module-null-sink",
                                              std::string("sink_name=") + kSink, "rate=44100", "channels=2",
                                              std::string("sink_properties=device.description=") + kDescription});
    if (r.exitCode != 0) return false;
    module = r.output.substr(0, r.output.find_first_of("\r\n"));
    keeper = e2e::Process::Start({"pacat", "--playback", std::string("--device=") + kSink, "--latency-msec=10", "--raw",
                                  "--format=s16le", "--rate=44100", "--channels=2", "/dev/zero"});
    return keeper != nullptr;
  }
  void Unload() {
    keeper.reset();
    if (!module.empty()) e2e::RunCommand({"pactl", "unload-module", module});
    module.clear();
  }
  ~Sink() { Unload(); }
};

double Since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

void Pause(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

std::string SoundName(int i) {
  return std::string("BENCH ") + static_cast<char>('0' + (i + 1) / 10) + static_cast<char>('0' + (i + 1) % 10);
}

// The text the board stores for the sink's output: the GUID Wine keeps for it.
std::string SinkOutputText(const std::string& sink) {
  const e2e::RunResult r = e2e::RunCommand(
      {"wine", "reg", "query", "HKCU\\Software\\Wine\\Drivers\\winepulse.drv\\devices\\0," + sink, "/v", "guid"});
  const size_t at = r.output.find("REG_BINARY");
  if (at == std::string::npos) return "";
  const std::string hex = r.output.substr(r.output.find_first_not_of(" \t", at + 10), 32);
  unsigned b[16];
  for (int i = 0; i < 16; ++i) b[i] = static_cast<unsigned>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
  char text[40];
  std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3], b[2],
                b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
  return text;
}

struct Eighteen {
  double cpu = 0;  // % of a core: the board and the Wine server
  double rssMb = 0;
};

// The board with the bench's 18 looping sounds all playing, with the monitor
// given (empty for none) hearing every sound.
std::optional<Eighteen> PlayEighteen(const std::string& schemePath, const std::string& monitor, double window) {
  const std::string key = "HKCU\\Software\\Marrowick\\Clangster";
  for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
           {"LastFile", e2e::ToWindowsPath(schemePath)}, {"onplay", "0"}, {"MonitorOutput", monitor},
           {"MonitorAll", monitor.empty() ? "0" : "1"}})
    e2e::RunCommand({"wine", "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f"});
  auto board = e2e::StartWindows(e2e::ClangsterExe());
  const bool started = board && e2e::WaitForWindow(" - Clangster$", *board, 120);
  const std::vector<pid_t> pids = e2e::BoardPids();
  const std::optional<pid_t> server = FindProcess("wineserver", true);
  if (!started || pids.size() != 1 || !server) return std::nullopt;
  Pause(1.5);
  std::vector<std::string> fire = {"fire"};
  for (int i = 0; i < 18; ++i) fire.push_back(SoundName(i));
  e2e::RunWindows(e2e::WinBuildDir() + "/tools/bench/clangster-bench-driver.exe", fire);
  Pause(3.0);  // the sounds' first seconds cost more than the ones after
  const auto cpu = [&] { return CpuSeconds(pids[0]) + CpuSeconds(*server); };
  const double before = cpu();
  const auto from = std::chrono::steady_clock::now();
  Pause(window);
  Eighteen figures;
  figures.cpu = (cpu() - before) / Since(from) * 100;
  const std::string status = e2e::ReadWholeFile("/proc/" + std::to_string(pids[0]) + "/status");
  const size_t at = status.find("VmRSS:");
  figures.rssMb = at == std::string::npos ? 0 : std::atof(status.c_str() + at + 6) / 1024.0;
  board->kill();
  return figures;
}

std::string Figure(std::vector<double> v) {
  const auto median = Median(v);
  if (!median) return "–";
  char text[64];
  std::snprintf(text, sizeof text, "%.2f / %.2f", *median, *std::max_element(v.begin(), v.end()));
  return text;
}

}  // namespace

bool RunOutputBench(bool quick, const std::string& schemePath, const std::string& out) {
  const int rounds = quick ? 1 : 5;
  const std::string dir = e2e::HostBuildDir() + (quick ? "/bench-quick" : "/bench") + "/outputs";
  fs::create_directories(dir);
  e2e::WriteTone(dir + "/tone.wav", 20.0, 440, 0.25);
  {
    std::ofstream scheme(dir + "/outputs.scheme", std::ios::binary);
    scheme << e2e::ToWindowsPath(dir + "/tone.wav") << "|TONE|0.000000|0|0|1|\r\n";
    for (int i = 1; i < 18; ++i) scheme << "||||\r\n";
    scheme << "Colours=0,255,50,0,58,15\r\nCompact=0\r\n";
  }
  e2e::ResetSettings();
  Sink sink;
  if (!sink.Load()) {
    std::fprintf(stderr, "bench: no sink for the output part\n");
    return false;
  }
  auto board = e2e::StartWindows(e2e::ClangsterExe(), {e2e::ToWindowsPath(dir + "/outputs.scheme")});
  bool ok = board && e2e::WaitForWindow("^outputs - Clangster$", *board, 60);
  // The bench's sink chosen in Options, as a user does; the looped tone plays there.
  ok = ok && e2e::Probe({"command", std::to_string(ID_TOOLS_OPTIONS)}).exitCode == 0 &&
       e2e::Probe({"dialog", "Options", "choose", std::to_string(IDC_SOUND_OUTPUT), kDescription}).exitCode == 0;
  if (ok) e2e::PressDialogButton("Options", kIdOk);
  ok = ok && e2e::Probe({"key", "0x31"}).exitCode == 0 &&
       e2e::WaitUntil([] { return e2e::ReadBoard().slots.at(0).image == "playing"; }, 10);
  std::vector<double> toFallback, toReturned;
  for (int round = 0; round < rounds && ok; ++round) {
    e2e::SinkCapture fallback, returned(kSink);
    ok = fallback.start();
    sink.Unload();
    const double lost = fallback.capturedSeconds();
    const auto moved = ok ? fallback.waitForSound(kSoundDb, lost, 10) : std::nullopt;
    ok = moved && sink.Load();
    if (!ok) break;
    toFallback.push_back(*moved - lost);
    // The sink's monitor delivers its first block a second or two late, so the
    // moment the board's stream joins the keeper's on the sink is what counts;
    // the capture then makes sure it is the tone.
    const auto back = std::chrono::steady_clock::now();
    ok = e2e::WaitUntil([] { return e2e::StreamsInto(kSink) >= 2; }, 10, 0.01);
    if (ok) toReturned.push_back(Since(back));
    ok = ok && returned.start() && returned.waitForSound(kSoundDb, 0, 10).has_value();
    // The two messages: it went, it is back.
    for (int box = 0; box < 2 && ok; ++box) e2e::PressDialogButton("Clangster", kIdOk);
    fallback.stop();
    returned.stop();
  }
  if (board) board->kill();

  // Eighteen playing, without and with the monitor hearing them all, taking turns.
  const std::string monitor = SinkOutputText(kSink);
  std::vector<double> cpuWithout, cpuWith, rssWithout, rssWith;
  for (int round = 0; round < (quick ? 1 : 3) && ok && !monitor.empty(); ++round) {
    for (const bool withMonitor : {round % 2 == 1, round % 2 == 0}) {
      e2e::ResetSettings();
      const auto figures = PlayEighteen(schemePath, withMonitor ? monitor : "", quick ? 1.0 : 5.0);
      if (!(ok = figures.has_value())) break;
      (withMonitor ? cpuWith : cpuWithout).push_back(figures->cpu);
      (withMonitor ? rssWith : rssWithout).push_back(figures->rssMb);
    }
  }
  e2e::ResetSettings();
  const auto cpuRatio = Median(cpuWithout) && Median(cpuWith) && *Median(cpuWithout) > 0
                            ? std::optional<double>(*Median(cpuWith) / *Median(cpuWithout))
                            : std::nullopt;
  const auto rssMore = Median(rssWithout) && Median(rssWith)
                           ? std::optional<double>(*Median(rssWith) - *Median(rssWithout))
                           : std::nullopt;
  char eighteen[768];
  std::snprintf(eighteen, sizeof eighteen,
                "\nThe bench's 18 sounds (held whole) all playing, %zu runs each way; the monitor is the sink "
                "above.\n\n"
                "| figure | without a monitor | monitor hears every sound | with vs without | target | met |\n"
                "|---|---|---|---|---|---|\n"
                "| CPU, 18 playing: process + wineserver (%% of a core) | %.1f | %.1f | %.2f× | ≤ 2× | %s |\n"
                "| Resident memory, 18 playing (MB) | %.0f | %.0f | %+.1f MB | ≤ +10 MB | %s |\n",
                cpuWith.size(), Median(cpuWithout).value_or(0), Median(cpuWith).value_or(0), cpuRatio.value_or(0),
                cpuRatio ? (*cpuRatio <= 2 ? "yes" : "**no**") : "–", Median(rssWithout).value_or(0),
                Median(rssWith).value_or(0), rssMore.value_or(0),
                rssMore ? (*rssMore <= 10 ? "yes" : "**no**") : "–");
  const auto met = [](const std::vector<double>& v) {
    return v.empty() ? "–" : *std::max_element(v.begin(), v.end()) <= 2.0 ? "yes" : "**no**";
  };
  const std::string n = std::to_string(toFallback.size());
  const std::string section =
      "The board plays a looped tone on a chosen null sink, which is unloaded and loaded again (same name and "
      "description), " + std::to_string(rounds) + " times.\n\n"
      "| figure | board (median / max) | target | met |\n|---|---|---|---|\n"
      "| Output lost → sound at the default output (s, n=" + n + ") | " + Figure(toFallback) + " | ≤ 2 s | " +
      met(toFallback) + " |\n"
      "| Output back → the board's stream on it again, its tone checked (s, n=" + std::to_string(toReturned.size()) +
      ") | " + Figure(toReturned) + " | ≤ 2 s | " + met(toReturned) + " |\n" + eighteen;
  std::printf("%s", section.c_str());
  if (!out.empty()) e2e::WriteMarkedSection(out, "output-bench", section);
  if (!ok) std::fprintf(stderr, "bench: the output part broke off\n");
  return ok && static_cast<int>(toReturned.size()) == rounds && cpuRatio && rssMore;
}

}  // namespace bench
