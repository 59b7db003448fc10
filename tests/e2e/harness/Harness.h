// Host-side harness for end-to-end tests of the Windows build: starts
// Windows programs under the test environment's Wine, records what reaches
// the PulseAudio sink "clangster_sink", and finds the program's windows.
// Tests run inside scripts/with-test-env.sh, which provides DISPLAY, the
// sound server, the sink and WINEPREFIX.
#pragma once

#include <sys/types.h>

#include <chrono>
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

  // Capture time (seconds from the first sample) that corresponds to a
  // moment on the steady clock, e.g. when a test clicked a button. Accurate
  // to a few tens of milliseconds: the capture's own latency.
  double secondsAt(std::chrono::steady_clock::time_point moment) const;
  // Capture time now.
  double secondsNow() const { return secondsAt(std::chrono::steady_clock::now()); }

 private:
  struct State;
  std::unique_ptr<State> state_;
  std::string sink_;
};

}  // namespace e2e
