#include "OutputBench.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

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

std::string Figure(std::vector<double> v) {
  const auto median = Median(v);
  if (!median) return "–";
  char text[64];
  std::snprintf(text, sizeof text, "%.2f / %.2f", *median, *std::max_element(v.begin(), v.end()));
  return text;
}

}  // namespace

bool RunOutputBench(bool quick, const std::string& out) {
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
  e2e::ResetSettings();
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
      ") | " + Figure(toReturned) + " | ≤ 2 s | " + met(toReturned) + " |\n";
  std::printf("%s", section.c_str());
  if (!out.empty()) e2e::WriteMarkedSection(out, "output-bench", section);
  if (!ok) std::fprintf(stderr, "bench: the output part broke off\n");
  return ok && static_cast<int>(toReturned.size()) == rounds;
}

}  // namespace bench
