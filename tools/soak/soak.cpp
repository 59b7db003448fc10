// clangster-soak: runs the board for minutes under remote triggers, scheme
// loads (sounds of every kind: held whole, decoded, spooled, streamed), slot
// reloads and clears, theme and layout switches while sounds play, and OSC
// commands, seeks and subscriptions, and compares what its process holds
// before and after (`make soak`).
// Runs inside scripts/with-test-env.sh.
//   clangster-soak [--quick] [--out FILE]
// --quick does every step with tiny counts and judges no growth (the smoke
// test); --out names the Markdown file whose soak section is rewritten.
#include <dirent.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "BoardDriver.h"
#include "Harness.h"
#include "Udp.h"
#include "remote/Osc.h"
#include "scheme/SchemeFormat.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSlots = 18;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string DriverExe() { return e2e::WinBuildDir() + "/tools/soak/clangster-soak-driver.exe"; }

// The kinds of sound the board reads differently: held whole as they are,
// decoded and held whole, decoded into a spool file, streamed from the file.
struct Kind {
  const char* extension;
  double seconds;
};
Kind KindOf(int slot) {
  if (slot == 15) return {"mp3", 90};  // past the resident size: decoded into a spool file
  if (slot >= 16) return {"wav", 80};  // streamed
  static const char* const kShort[] = {"wav", "mp3", "ogg", "flac"};
  return {kShort[slot % 4], 1.0};
}

struct SoakScheme {
  std::string path;
  std::vector<std::string> decoded;  // the files the board decodes, as Windows paths
};

// Looping tones, one pitch per slot, of every kind, and a scheme holding
// them. Made once: the long ones take a while to encode.
SoakScheme MakeScheme(const std::string& dir) {
  fs::create_directories(dir);
  SoakScheme made;
  std::string text;
  for (int i = 0; i < kSlots; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "SOAK %02d", i + 1);
    const Kind kind = KindOf(i);
    const std::string wav = dir + "/" + name + ".wav", path = dir + "/" + name + "." + kind.extension;
    if (!fs::exists(path)) {
      e2e::WriteTone(wav, kind.seconds, 300 + 25 * i, 0.2);
      if (path != wav) {
        const std::vector<std::string> encode = std::string(kind.extension) == "mp3"
                                                    ? std::vector<std::string>{"lame", "--quiet", wav, path}
                                                    : std::vector<std::string>{"sox", "-q", wav, path};
        if (e2e::RunCommand(encode, 300).exitCode != 0) std::fprintf(stderr, "soak: could not make %s\n", path.c_str());
        fs::remove(wav);
      }
    }
    scheme::SlotLine line;
    line.path = e2e::ToWindowsPath(path);
    if (path != wav) made.decoded.push_back(line.path);
    line.name = name;
    line.loop = true;
    text += scheme::FormatSlotFields(line) + "\r\n";
  }
  text += scheme::FormatColoursLine({0x32FF00, 0x0F3A00}) + "\r\n" + scheme::FormatLayoutLine(false) + "\r\n";
  made.path = dir + "/soak.scheme";
  std::ofstream(made.path, std::ios::binary) << text;
  return made;
}

// What the system's decoders alone keep per round (KiB of working set):
// the decode floor decodes the scheme's compressed files `repeat` times over
// in a process of its own. Media Foundation under Wine keeps a little of
// every decode, which no program using it can give back.
std::optional<double> DecoderGrowthPerRound(const std::vector<std::string>& decoded, int repeat) {
  std::vector<std::string> args = {"--repeat", std::to_string(repeat)};
  args.insert(args.end(), decoded.begin(), decoded.end());
  const e2e::RunResult r =
      e2e::RunWindows(e2e::WinBuildDir() + "/tools/bench/clangster-decode-floor.exe", args, 1200);
  const auto at = r.output.find("memory ");
  double first = 0, last = 0;
  if (r.exitCode != 0 || at == std::string::npos ||
      std::sscanf(r.output.c_str() + at, "memory %lf %lf", &first, &last) != 2 || repeat < 2)
    return std::nullopt;
  return std::max(0.0, (last - first) / (repeat - 1));
}

// A controller on the loopback address while the driver works: it seeks
// the long sounds, plays and stops them, sets volumes, subscribes again
// every second and unsubscribes every tenth, and counts the feedback.
class Controller {
 public:
  explicit Controller(int port) : port_(port), thread_([this] { Run(); }) {}
  ~Controller() { Stop(); }
  // Ends the subscription too, so that the board is measured as it was before.
  void Stop() {
    if (done_.exchange(true)) return;
    thread_.join();
    udp_.Send(Message("/clangster/unsubscribe"), port_);
  }
  std::string Counts() const {
    return std::to_string(sent_) + " OSC commands, " + std::to_string(subscribes_) + " subscriptions (" +
           std::to_string(unsubscribes_) + " ended), " + std::to_string(feedback_) + " feedback datagrams";
  }
  int feedback() const { return feedback_; }

 private:
  static std::string Message(const std::string& address, std::vector<remote::OscArgument> arguments = {}) {
    return remote::WriteOsc({address, std::move(arguments)});
  }
  static std::string Slot(int slot, const char* verb) {
    return "/clangster/slot/" + std::to_string(slot + 1) + "/" + verb;
  }
  void Run() {
    for (int step = 0; !done_; ++step) {
      if (step % 50 == 0) {
        const bool end = step % 500 == 250;
        udp_.Send(Message(end ? "/clangster/unsubscribe" : "/clangster/subscribe"), port_);
        ++(end ? unsubscribes_ : subscribes_);
      }
      const int slot = 15 + step % 3;  // the long ones
      const double at = (step * 37 % 70) + 0.5;
      switch (step % 4) {
        case 0: udp_.Send(Message(Slot(slot, "play")), port_); break;
        case 1: udp_.Send(Message(Slot(slot, "position"), {{'f', at, {}}}), port_); break;
        case 2: udp_.Send(Message(Slot(step % kSlots, "volume"), {{'f', 0.5 + step % 50 / 100.0, {}}}), port_); break;
        default: if (step % 40 == 3) udp_.Send(Message(Slot(slot, "stop")), port_);
      }
      ++sent_;
      feedback_ += udp_.Drain();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    feedback_ += udp_.Drain();
  }

  const int port_;
  e2e::Udp udp_;
  std::atomic<bool> done_{false};
  std::atomic<int> sent_{0}, subscribes_{0}, unsubscribes_{0}, feedback_{0};
  std::thread thread_;  // last: it starts once the rest is there
};

std::optional<pid_t> OnlyBoardPid() {
  const std::vector<pid_t> pids = e2e::BoardPids();
  return pids.size() == 1 ? std::optional<pid_t>(pids[0]) : std::nullopt;
}

using Figures = std::map<std::string, std::optional<double>>;

// What Windows calls answer for the board's process (from the driver), and
// what Linux shows of the Wine process.
Figures Measure(pid_t pid) {
  Figures f;
  std::istringstream lines(e2e::RunWindows(DriverExe(), {"figures"}, 60).output);
  std::string line;
  while (std::getline(lines, line)) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string value = line.substr(eq + 1);
    f[line.substr(0, eq)] = value.empty() || value[0] == '-' ? std::nullopt
                                                            : std::optional<double>(std::atof(value.c_str()));
  }
  for (const char* bytes : {"private", "listprivate", "workingset"})
    if (f[bytes]) f[bytes] = *f[bytes] / 1024;  // KiB, as /proc counts
  std::istringstream status(e2e::ReadWholeFile("/proc/" + std::to_string(pid) + "/status"));
  while (std::getline(status, line))
    for (const char* key : {"VmRSS", "VmData", "Threads"})
      if (line.rfind(std::string(key) + ":", 0) == 0) f[key] = std::atof(line.c_str() + std::strlen(key) + 1);
  int fds = 0;
  if (DIR* d = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str())) {
    while (dirent* e = readdir(d)) fds += e->d_name[0] != '.';
    closedir(d);
    f["fds"] = fds;
  }
  return f;
}

struct Limit {
  const char* key;
  const char* label;
  double allowance;  // growth allowed, in the figure's unit
  bool required;     // false: Wine answers nothing for another process
};
// Objects and handles come back to what they were; memory may settle a little
// higher (heap fragments, caches filled once), never by much.
const Limit kLimits[] = {
    {"handles", "Handles (GetProcessHandleCount)", 16, false},
    {"listhandles", "Handles (NtQuerySystemInformation process list)", 16, true},
    {"gdi", "GDI objects (GetGuiResources)", 16, false},
    {"user", "USER objects (GetGuiResources)", 16, false},
    {"windows", "Windows of the process (EnumWindows + EnumChildWindows)", 0, true},
    {"private", "Private bytes (GetProcessMemoryInfo, KiB)", 4096, false},
    {"listprivate", "Private bytes (NtQuerySystemInformation process list, KiB)", 4096, false},
    {"workingset", "Working set (GetProcessMemoryInfo, KiB)", 8192, true},
    {"VmRSS", "Linux: resident memory, VmRSS (KiB)", 8192, true},
    {"VmData", "Linux: data + heap, VmData (KiB)", 4096, true},
    {"fds", "Linux: open file descriptors", 8, true},
    {"Threads", "Linux: threads", 2, true},
    {"spools", "Spool files in %TEMP% (FindFirstFile)", 0, true},
};

std::string Fmt(std::optional<double> v) {
  if (!v) return "not answered";
  char s[32];
  std::snprintf(s, sizeof s, "%.0f", *v);
  return s;
}

void WriteSection(const std::string& path, const std::string& section) { e2e::WriteMarkedSection(path, "soak", section); }

bool Drive(const std::vector<std::string>& args, double timeout, std::string* output = nullptr) {
  const e2e::RunResult r = e2e::RunWindows(DriverExe(), args, timeout);
  if (output) *output = r.output;
  if (r.exitCode == 0) return true;
  std::fprintf(stderr, "soak: driver %s failed (%d): %s\n", args[0].c_str(), r.exitCode, r.output.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false;
  std::string out;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--quick") {
      quick = true;
    } else if (a == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else {
      std::fprintf(stderr, "usage: clangster-soak [--quick] [--out FILE]\n");
      return 2;
    }
  }
  if (!e2e::InTestEnvironment()) {
    std::fprintf(stderr, "clangster-soak: run inside scripts/with-test-env.sh (make soak)\n");
    return 2;
  }
  const int rounds = quick ? 3 : 1000, triggers = quick ? 36 : 10000;
  const SoakScheme soakScheme = MakeScheme(e2e::HostBuildDir() + (quick ? "/soak-quick" : "/soak"));
  const std::string& schemePath = soakScheme.path;

  // The scheme is the board's last one and its first favourite.
  const std::string key = "HKCU\\Software\\Marrowick\\Clangster";
  e2e::ResetSettings();
  const int port = 20000 + (getpid() + 13) % 20000;
  const std::pair<const char*, std::string> settings[] = {{"LastFile", e2e::ToWindowsPath(schemePath)},
                                                          {"MRU0", e2e::ToWindowsPath(schemePath)},
                                                          {"RemoteControl", "1"},
                                                          {"RemotePort", std::to_string(port)}};
  for (const auto& [value, data] : settings)
    e2e::RunWindows("reg", {"add", key, "/v", value, "/t", "REG_SZ", "/d", data, "/f"});
  std::unique_ptr<e2e::Process> board = e2e::StartWindows(e2e::ClangsterExe());
  std::optional<pid_t> pid;
  if (!board || !e2e::WaitForWindow("^soak - Clangster$", *board, 60) ||
      !e2e::WaitUntil([&] { return (pid = OnlyBoardPid()).has_value(); }, 20)) {
    std::fprintf(stderr, "clangster-soak: the board did not start\n");
    return 1;
  }

  // A short warm-up first: what the board allocates once (menus, the
  // Options dialog, fonts, the compact layout) is not growth.
  bool ok = Drive({"run", "2", "36"}, 120) && Drive({"reset"}, 120);
  const Figures before = Measure(*pid);
  const double start = Now();
  std::string counts;
  Controller controller(port);
  ok = ok && Drive({"run", std::to_string(rounds), std::to_string(triggers)}, 3600, &counts);
  controller.Stop();
  const double seconds = Now() - start;
  ok = ok && Drive({"reset"}, 120);
  const Figures after = Measure(*pid);

  // Still alive: a trigger afterwards is heard at the sink.
  std::optional<double> heardMs;
  e2e::SinkCapture capture;
  std::string why;
  if (ok && capture.start(&why)) {
    const double from = capture.capturedSeconds();
    const double sent = Now();
    e2e::RunWindows(e2e::TriggerExe(), {"SOAK 01"}, 30);
    if (capture.waitForSound(-30, from, 20)) heardMs = (Now() - sent) * 1000;
    capture.stop();
  } else if (ok) {
    std::fprintf(stderr, "soak: no capture: %s\n", why.c_str());
  }
  if (!ok) {
    // What Wine said about the board: a crash shows here.
    std::istringstream said(board->output());
    std::string line;
    while (std::getline(said, line))
      if (line.find("fixme:") == std::string::npos) std::fprintf(stderr, "board: %s\n", line.c_str());
    if (const std::optional<int> code = board->wait(0))
      std::fprintf(stderr, "soak: the board had ended after %.0f s, exit code %d\n", Now() - start, *code);
  }
  Drive({"close"}, 30);
  const bool closed = board->wait(30).has_value();
  if (!closed) board->kill();
  e2e::ResetSettings();

  // Memory may grow by what the decoders alone keep over as many rounds.
  const int floorRounds = quick ? 3 : 40;
  const std::optional<double> decoderKiB = DecoderGrowthPerRound(soakScheme.decoded, floorRounds);
  const double decoderAllowance = decoderKiB.value_or(0) * rounds;
  auto allowanceOf = [&](const Limit& l) {
    const std::string key = l.key;
    const bool memory = key == "private" || key == "listprivate" || key == "workingset" || key == "VmRSS" ||
                        key == "VmData";
    return l.allowance + (memory ? decoderAllowance : 0);
  };

  utsname u{};
  uname(&u);
  char when[64];
  const std::time_t now = std::time(nullptr);
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
  std::string cpu = "?";
  {
    std::istringstream in(e2e::ReadWholeFile("/proc/cpuinfo"));
    std::string line;
    while (std::getline(in, line))
      if (line.rfind("model name", 0) == 0) {
        cpu = line.substr(line.find(':') + 2);
        break;
      }
  }
  double load[3] = {};
  getloadavg(load, 3);
  const std::string wine = e2e::RunCommand({"wine", "--version"}).output;
  std::string workDone;
  {
    std::istringstream in(counts);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) workDone += (workDone.empty() ? "" : ", ") + line;
    }
    workDone += "; " + controller.Counts();
  }
  char head[1024];
  std::snprintf(head, sizeof head,
                "Run %s on %s, %ld cores, %s %s, %s; load average %.2f at the end. "
                "%.0f s of work: %s.\n\n",
                when, cpu.c_str(), sysconf(_SC_NPROCESSORS_ONLN), u.sysname, u.release,
                wine.substr(0, wine.find('\n')).c_str(), load[0], seconds, workDone.c_str());

  std::string table = "| figure | before | after | growth | allowed | within |\n|---|---|---|---|---|---|\n";
  bool flat = true, figures = true;
  for (const Limit& l : kLimits) {
    const auto b = before.count(l.key) ? before.at(l.key) : std::nullopt;
    const auto a = after.count(l.key) ? after.at(l.key) : std::nullopt;
    std::string growth = "–", within = "–";
    if (a && b) {
      char g[32];
      std::snprintf(g, sizeof g, "%+.0f", *a - *b);
      growth = g;
      const bool in = *a - *b <= allowanceOf(l);
      within = in ? "yes" : "**no**";
      flat = flat && in;
    } else if (l.required) {
      figures = false;
    }
    char allowed[32];
    std::snprintf(allowed, sizeof allowed, "+%.0f", allowanceOf(l));
    table += std::string("| ") + l.label + " | " + Fmt(b) + " | " + Fmt(a) + " | " + growth + " | " + allowed +
             " | " + within + " |\n";
  }
  std::string tail = "\n";
  char floorLine[512];
  std::snprintf(floorLine, sizeof floorLine,
                "The system's decoders alone (`clangster-decode-floor`, the scheme's %zu compressed files %d times "
                "over) kept %s KiB of working set a round; the memory allowances include that for %d rounds.\n\n",
                soakScheme.decoded.size(), floorRounds, Fmt(decoderKiB).c_str(), rounds);
  tail += floorLine;
  tail += heardMs ? "Afterwards a remote trigger of SOAK 01 was heard at the sink " + Fmt(heardMs) + " ms after it "
                        "was sent" : std::string("Afterwards a remote trigger of SOAK 01 was **not** heard at the sink");
  tail += closed ? "; the board then closed normally.\n" : "; the board did **not** close and was killed.\n";
  const std::string section = std::string(head) + table + tail;
  std::printf("%s", section.c_str());
  if (!out.empty() && ok) WriteSection(out, section);

  if (!ok) std::fprintf(stderr, "clangster-soak: the board stopped answering or a step did not take\n");
  if (!decoderKiB) std::fprintf(stderr, "clangster-soak: the decode floor gave no figure\n");
  if (!figures || !decoderKiB) std::fprintf(stderr, "clangster-soak: figures are missing\n");
  if (!heardMs || !closed) std::fprintf(stderr, "clangster-soak: the board did not play or close afterwards\n");
  const bool answered = controller.feedback() > 0;
  if (!answered) std::fprintf(stderr, "clangster-soak: no feedback came to the remote controller\n");
  if (!quick && !flat) std::fprintf(stderr, "clangster-soak: something grew beyond its allowance\n");
  return ok && figures && decoderKiB && heardMs && closed && answered && (quick || flat) ? 0 : 1;
}
