// Host-side harness for end-to-end tests of the Windows build: starts
// Windows programs under the test environment's Wine, records what reaches
// the PulseAudio sink "clangster_sink", and finds the program's windows.
// Tests run inside scripts/with-test-env.sh, which provides DISPLAY, the
// sound server, the sink and WINEPREFIX.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Audio.h"

namespace e2e {

// --- Paths -----------------------------------------------------------------

std::string SourceDir();    // the repository
std::string HostBuildDir(); // build/host: assets, demo sounds and scheme
std::string WinBuildDir();  // build/win
std::string ClangsterExe(); // build/win/app/Clangster.exe
std::string TriggerExe();   // build/win/tools/trigger/clangster-trigger.exe

// The path under which Wine's drive Z: shows an absolute Linux path.
std::string ToWindowsPath(const std::string& linuxPath);

// Replaces the part of a document between "<!-- NAME:begin -->" and
// "<!-- NAME:end -->" with `section` (or adds both markers at its end), as
// the bench and the soak keep their latest figures in docs/.
void WriteMarkedSection(const std::string& path, const std::string& name, const std::string& section);

// True inside scripts/with-test-env.sh.
bool InTestEnvironment();

// --- Processes -------------------------------------------------------------

// A program started in its own process group, with standard output and
// error collected in a file. The destructor kills it if it still runs.
class Process {
 public:
  // Runs `argv` (argv[0] looked up on PATH); nullptr when it cannot start.
  static std::unique_ptr<Process> Start(const std::vector<std::string>& argv);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  pid_t pid() const { return pid_; }
  bool running();
  // Exit code (128 + signal when killed); nothing if still running after
  // `timeoutSeconds`.
  std::optional<int> wait(double timeoutSeconds);
  // Kills the process's whole group (whatever of it still runs) and reaps it.
  void kill();
  // What the process has written to stdout and stderr so far.
  std::string output() const;
  // For a failure message: empty while it runs, else its exit code and
  // what it wrote (a crash under Wine shows in either).
  std::string endReport();

 private:
  Process() = default;
  pid_t pid_ = -1;
  std::optional<int> status_;
  bool reaped_ = false;
  std::string outputPath_;
};

// A Windows program under Wine: `wine EXE ARGS...`.
std::unique_ptr<Process> StartWindows(const std::string& exe,
                                      const std::vector<std::string>& args = {});

struct RunResult {
  int exitCode = -1;     // -1 when it timed out (it was killed) or did not start
  bool timedOut = false;
  std::string output;    // stdout and stderr
};

// Runs a host command to its end, or kills it after `timeoutSeconds`.
RunResult RunCommand(const std::vector<std::string>& argv, double timeoutSeconds = 60);
// The same for a Windows program under Wine.
RunResult RunWindows(const std::string& exe, const std::vector<std::string>& args = {},
                     double timeoutSeconds = 60);

// The whole content of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// Whether the Linux process runs under this test environment's Wine prefix.
bool OfThisWinePrefix(pid_t pid);
// The Linux processes of Clangster.exe under this test prefix: Wine runs a
// Windows program as a process whose first argument is the .exe's path.
// Boards of other checkouts or of the user, on the same machine, are not
// among them.
std::vector<pid_t> BoardPids();

// Deletes the board's stored settings (HKCU\Software\Marrowick\Clangster)
// in the test prefix; each test run starts without them anyway. True when
// the key is gone.
bool ResetSettings();

// X window id of the first visible window whose title matches the regular
// expression `titlePattern` (as xdotool reads it), waiting up to `timeout`.
std::optional<std::string> WaitForWindow(const std::string& titlePattern,
                                         double timeoutSeconds = 20);
// The same, giving up early when `owner` has exited (e.g. Wine could not
// start it).
std::optional<std::string> WaitForWindow(const std::string& titlePattern, Process& owner,
                                         double timeoutSeconds = 20);

// Polls `condition` until it holds; false when it still does not after
// `timeoutSeconds`. Tests wait for what they need this way, never for a
// fixed time: a loaded machine only makes them slower.
bool WaitUntil(const std::function<bool()>& condition, double timeoutSeconds = 30,
               double pollSeconds = 0.05);

// How many streams play into the PulseAudio sink of that name; -1 when there is no such sink.
int StreamsInto(const std::string& sink);

// --- Sound capture ---------------------------------------------------------

// Records the monitor of the test sink (or of the named sink) as 44100 Hz
// 16-bit stereo through parec, from start() to stop().
class SinkCapture {
 public:
  explicit SinkCapture(std::string sink = "");
  ~SinkCapture();
  SinkCapture(const SinkCapture&) = delete;
  SinkCapture& operator=(const SinkCapture&) = delete;

  // Returns once sound data flows (the sink delivers nothing until its
  // first block), or false with a reason after a few seconds.
  bool start(std::string* error = nullptr);
  // Ends the recording and returns all of it.
  Pcm stop();

  // Seconds of sound captured so far. Used as a mark of "now" it is never
  // later than now (parec delivers with a small latency), and unlike the
  // wall clock it runs with the sound card's clock, however busy the machine.
  double capturedSeconds() const;
  // What has been captured so far; the capture goes on.
  Pcm snapshot() const;

  // Waiting on the capture itself; each gives up after `timeoutSeconds`.
  // Until the capture holds `seconds` of sound:
  bool waitUntilCaptured(double seconds, double timeoutSeconds = 30);
  // For the first 10 ms window from `from` on that reaches `thresholdDb`; its start.
  std::optional<double> waitForSound(double thresholdDb, double from, double timeoutSeconds = 30);
  // For `length` seconds below `thresholdDb` (and at or above `floorDb`) from
  // `from` on; the start of that stretch.
  std::optional<double> waitForSilence(double thresholdDb, double from, double length = 0.5,
                                       double floorDb = -1000, double timeoutSeconds = 30);

 private:
  struct State;
  std::unique_ptr<State> state_;
  std::string sink_;
};

}  // namespace e2e
