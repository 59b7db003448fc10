#include "Harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <thread>

namespace e2e {
namespace {

std::string EnvOr(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return v && *v ? v : fallback;
}

std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
  std::vector<char*> ptrs;
  for (const std::string& a : argv) ptrs.push_back(const_cast<char*>(a.c_str()));
  ptrs.push_back(nullptr);
  return ptrs;
}

void SleepSeconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

std::vector<std::string> WineArgv(const std::string& exe, const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"wine", exe};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

}  // namespace

// --- Paths -----------------------------------------------------------------

std::string SourceDir() { return EnvOr("CLANGSTER_SOURCE_DIR", CLANGSTER_SOURCE_DIR); }
std::string HostBuildDir() { return EnvOr("CLANGSTER_HOST_BUILD_DIR", CLANGSTER_HOST_BUILD_DIR); }
std::string WinBuildDir() { return EnvOr("CLANGSTER_WIN_BUILD_DIR", CLANGSTER_WIN_BUILD_DIR); }
std::string ClangsterExe() { return WinBuildDir() + "/app/Clangster.exe"; }
std::string TriggerExe() { return WinBuildDir() + "/tools/trigger/clangster-trigger.exe"; }

void WriteMarkedSection(const std::string& path, const std::string& name, const std::string& section) {
  const std::string begin = "<!-- " + name + ":begin -->", end = "<!-- " + name + ":end -->";
  std::string text = ReadWholeFile(path);
  const size_t b = text.find(begin), e = text.find(end);
  const std::string block = begin + "\n" + section + end;
  if (b != std::string::npos && e != std::string::npos && e > b)
    text.replace(b, e + end.size() - b, block);
  else
    text += (text.empty() ? "" : "\n") + block + "\n";
  std::ofstream(path, std::ios::binary) << text;
}

std::string ToWindowsPath(const std::string& linuxPath) {
  std::string path = "Z:" + linuxPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

bool InTestEnvironment() { return EnvOr("CLANGSTER_TEST_ENV", "") == "1"; }

// --- Processes -------------------------------------------------------------

std::unique_ptr<Process> Process::Start(const std::vector<std::string>& argv) {
  if (argv.empty()) return nullptr;
  std::string outputPath = EnvOr("TMPDIR", "/tmp") + "/clangster-e2e-XXXXXX";
  const int out = mkostemp(outputPath.data(), O_CLOEXEC);
  if (out < 0) return nullptr;
  std::vector<char*> args = ArgvPointers(argv);
  const pid_t pid = fork();
  if (pid == 0) {
    // Child: only async-signal-safe calls until exec.
    setpgid(0, 0);
    const int in = open("/dev/null", O_RDONLY);
    if (in >= 0) dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(out);
  if (pid < 0) {
    unlink(outputPath.c_str());
    return nullptr;
  }
  setpgid(pid, pid);  // also here, so kill() works even before the child ran
  std::unique_ptr<Process> p(new Process());
  p->pid_ = pid;
  p->outputPath_ = outputPath;
  return p;
}

Process::~Process() {
  kill();
  if (!outputPath_.empty()) unlink(outputPath_.c_str());
}

// The process is only reaped by kill(): until then its pid, and with it the
// process group id, cannot be reused, so killing the group never hits a
// stranger.
bool Process::running() {
  if (status_) return false;
  siginfo_t info{};
  if (waitid(P_PID, pid_, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid_) {
    status_ = info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status;
    return false;
  }
  return true;
}

std::optional<int> Process::wait(double timeoutSeconds) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (running()) {
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    SleepSeconds(0.01);
  }
  return status_;
}

void Process::kill() {
  if (pid_ <= 0 || reaped_) return;
  // The whole group: Wine starts some programs through a launcher process,
  // and a program may have started others.
  ::kill(-pid_, SIGKILL);
  int status = 0;
  if (waitpid(pid_, &status, 0) == pid_ && !status_) status_ = ExitCodeOf(status);
  reaped_ = true;
}

std::string Process::output() const { return ReadWholeFile(outputPath_); }

std::string Process::endReport() {
  if (running()) return {};
  return "it exited with code " + std::to_string(*status_) + "; it wrote: [" + output() + "]";
}

std::unique_ptr<Process> StartWindows(const std::string& exe,
                                      const std::vector<std::string>& args) {
  return Process::Start(WineArgv(exe, args));
}

RunResult RunCommand(const std::vector<std::string>& argv, double timeoutSeconds) {
  RunResult result;
  std::unique_ptr<Process> p = Process::Start(argv);
  if (!p) return result;
  if (std::optional<int> code = p->wait(timeoutSeconds)) {
    result.exitCode = *code;
  } else {
    result.timedOut = true;
    p->kill();
  }
  result.output = p->output();
  return result;
}

RunResult RunWindows(const std::string& exe, const std::vector<std::string>& args,
                     double timeoutSeconds) {
  return RunCommand(WineArgv(exe, args), timeoutSeconds);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool OfThisWinePrefix(pid_t pid) {
  const std::string prefix = EnvOr("WINEPREFIX", "");
  return !prefix.empty() && ReadWholeFile("/proc/" + std::to_string(pid) + "/environ")
                                    .find("WINEPREFIX=" + prefix + '\0') != std::string::npos;
}

std::vector<pid_t> BoardPids() {
  const std::string exe = "Clangster.exe";
  std::vector<pid_t> pids;
  DIR* proc = opendir("/proc");
  while (dirent* e = proc ? readdir(proc) : nullptr) {
    const pid_t pid = std::atoi(e->d_name);
    if (pid <= 0) continue;
    const std::string argv0 = ReadWholeFile(std::string("/proc/") + e->d_name + "/cmdline").c_str();
    if (argv0.size() < exe.size() || argv0.compare(argv0.size() - exe.size(), exe.size(), exe) != 0) continue;
    if (OfThisWinePrefix(pid)) pids.push_back(pid);
  }
  if (proc) closedir(proc);
  return pids;
}

bool ResetSettings() {
  const std::string key = "HKCU\\Software\\Marrowick\\Clangster";
  RunWindows("reg", {"delete", key, "/f"}, 30);
  return RunWindows("reg", {"query", key}, 30).exitCode != 0;
}

namespace {

std::optional<std::string> FindWindowUntil(const std::string& titlePattern,
                                           double timeoutSeconds, Process* owner) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  for (;;) {
    RunResult r = RunCommand({"xdotool", "search", "--onlyvisible", "--name", titlePattern}, 10);
    if (r.exitCode == 0) {
      std::istringstream lines(r.output);
      std::string id;
      if (std::getline(lines, id) && !id.empty()) return id;
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    if (owner && !owner->running()) return std::nullopt;
    SleepSeconds(0.2);
  }
}

}  // namespace

std::optional<std::string> WaitForWindow(const std::string& titlePattern, double timeoutSeconds) {
  return FindWindowUntil(titlePattern, timeoutSeconds, nullptr);
}

std::optional<std::string> WaitForWindow(const std::string& titlePattern, Process& owner,
                                         double timeoutSeconds) {
  return FindWindowUntil(titlePattern, timeoutSeconds, &owner);
}

bool WaitUntil(const std::function<bool()>& condition, double timeoutSeconds, double pollSeconds) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    SleepSeconds(pollSeconds);
  }
  return true;
}

int StreamsInto(const std::string& sink) {
  std::string index;
  std::istringstream sinks(RunCommand({"pactl", "list", "short", "sinks"}, 10).output);
  for (std::string line; std::getline(sinks, line);) {
    std::istringstream fields(line);
    std::string number, name;
    if (fields >> number >> name && name == sink) index = number;
  }
  if (index.empty()) return -1;
  int count = 0;
  std::istringstream inputs(RunCommand({"pactl", "list", "short", "sink-inputs"}, 10).output);
  for (std::string line; std::getline(inputs, line);) {
    std::istringstream fields(line);
    std::string number, into;
    if (fields >> number >> into && into == index) ++count;
  }
  return count;
}

// --- Sound capture ---------------------------------------------------------

namespace {
constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr double kBytesPerSecond = kRate * kChannels * 2.0;
}  // namespace

struct SinkCapture::State {
  pid_t pid = -1;
  int fd = -1;
  std::thread reader;
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<uint8_t> data;
  bool ended = false;

  void read() {
    uint8_t buf[16384];
    for (;;) {
      const ssize_t n = ::read(fd, buf, sizeof buf);
      std::lock_guard<std::mutex> lock(mutex);
      if (n <= 0) {
        ended = true;
        arrived.notify_all();
        return;
      }
      data.insert(data.end(), buf, buf + n);
      arrived.notify_all();
    }
  }
};

SinkCapture::SinkCapture(std::string sink)
    : state_(new State), sink_(sink.empty() ? EnvOr("CLANGSTER_SINK", "clangster_sink") : std::move(sink)) {}

SinkCapture::~SinkCapture() {
  if (state_->pid > 0) stop();
}

bool SinkCapture::start(std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (state_->pid > 0) return fail("capture already running");
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return fail(std::string("pipe: ") + std::strerror(errno));
  const std::string device = sink_ + ".monitor";
  const std::vector<std::string> argv = {
      "parec",          "--device=" + device, "--format=s16le", "--rate=44100",
      "--channels=2",   "--latency-msec=20",  "--raw",          "--client-name=clangster-e2e"};
  std::vector<char*> args = ArgvPointers(argv);
  // parec's complaints, for the message when it delivers nothing.
  std::string errorPath = EnvOr("TMPDIR", "/tmp") + "/clangster-parec-XXXXXX";
  const int errorFd = mkostemp(errorPath.data(), O_CLOEXEC);
  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    dup2(fds[1], 1);
    if (errorFd >= 0) dup2(errorFd, 2);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(fds[1]);
  if (errorFd >= 0) close(errorFd);
  auto parecSaid = [errorPath, errorFd] {
    if (errorFd < 0) return std::string();
    std::string said = ReadWholeFile(errorPath);
    unlink(errorPath.c_str());
    return said;
  };
  if (pid < 0) {
    close(fds[0]);
    parecSaid();
    return fail(std::string("fork: ") + std::strerror(errno));
  }
  state_->pid = pid;
  state_->fd = fds[0];
  state_->data.clear();
  state_->ended = false;
  state_->reader = std::thread([s = state_.get()] { s->read(); });

  std::unique_lock<std::mutex> lock(state_->mutex);
  const bool flowing = state_->arrived.wait_for(lock, std::chrono::seconds(10), [this] {
    return !state_->data.empty() || state_->ended;
  });
  if (flowing && !state_->data.empty()) {
    lock.unlock();
    parecSaid();
    return true;
  }
  lock.unlock();
  stop();
  return fail("no sound data from " + device + " (is the test environment up?) parec: " +
              parecSaid());
}

Pcm SinkCapture::stop() {
  if (state_->pid <= 0) return snapshot();
  ::kill(state_->pid, SIGTERM);
  if (state_->reader.joinable()) state_->reader.join();
  close(state_->fd);
  state_->fd = -1;
  int status;
  waitpid(state_->pid, &status, 0);
  state_->pid = -1;
  return snapshot();
}

Pcm SinkCapture::snapshot() const {
  Pcm pcm;
  pcm.rate = kRate;
  pcm.channels = kChannels;
  std::lock_guard<std::mutex> lock(state_->mutex);
  const size_t frames = state_->data.size() / (2 * kChannels);
  pcm.samples.resize(frames * kChannels);
  if (frames > 0) std::memcpy(pcm.samples.data(), state_->data.data(), pcm.samples.size() * 2);
  return pcm;
}

double SinkCapture::capturedSeconds() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->data.size() / kBytesPerSecond;
}

bool SinkCapture::waitUntilCaptured(double seconds, double timeoutSeconds) {
  return WaitUntil([&] { return capturedSeconds() >= seconds; }, timeoutSeconds, 0.02);
}

std::optional<double> SinkCapture::waitForSound(double thresholdDb, double from, double timeoutSeconds) {
  std::optional<double> at;
  WaitUntil([&] {
    const auto t = FirstTimeAbove(snapshot().slice(from, 1e9), thresholdDb);
    if (t) at = from + *t;
    return at.has_value();
  }, timeoutSeconds, 0.02);
  return at;
}

std::optional<double> SinkCapture::waitForSilence(double thresholdDb, double from, double length,
                                                  double floorDb, double timeoutSeconds) {
  std::optional<double> at;
  WaitUntil([&] {
    const auto t = FirstSilence(snapshot().slice(from, 1e9), thresholdDb, length, floorDb);
    if (t) at = from + *t;
    return at.has_value();
  }, timeoutSeconds, 0.02);
  return at;
}

}  // namespace e2e
