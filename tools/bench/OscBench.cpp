#include "OscBench.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include "BenchProcesses.h"
#include "BenchStats.h"
#include "Harness.h"
#include "Udp.h"
#include "remote/Osc.h"

namespace fs = std::filesystem;

namespace bench {

namespace {

using e2e::Udp;
using e2e::UdpPortBound;

constexpr char kKey[] = "HKCU\\Software\\Marrowick\\Clangster";
constexpr int kSlots = 18;
// As many as the board keeps: four controllers of four subscriptions each,
// the most it takes from one address.
constexpr int kSubscribers = 16;
// The controller and the subscribers send from loopback addresses of their
// own, which the board's list of allowed controllers names: every datagram
// is checked against the list (127.0.0.1 would pass without).
constexpr char kControllerAddress[] = "127.0.0.5";
constexpr char kAllowList[] = "10.0.0.0/8 192.168.1.0/24 127.0.0.5 127.0.0.16/30";
std::string SubscriberAddress(int i) { return "127.0.0." + std::to_string(16 + i / 4); }

double Clock(clockid_t id) {
  timespec ts{};
  clock_gettime(id, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}
double Mono() { return Clock(CLOCK_MONOTONIC); }
// Wine's performance counter counts this clock: the board's stamps and these meet on it.
double Raw() { return Clock(CLOCK_MONOTONIC_RAW); }
void Pause(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }
// Sleeps until `at` on the monotonic clock.
void Until(double at) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(at);
  ts.tv_nsec = static_cast<long>((at - static_cast<double>(ts.tv_sec)) * 1e9);
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
}

std::string SoundName(int i) {
  return std::string("BENCH ") + static_cast<char>('0' + (i + 1) / 10) + static_cast<char>('0' + (i + 1) % 10);
}

std::string Message(const std::string& address, std::vector<remote::OscArgument> arguments = {}) {
  return remote::WriteOsc({address, std::move(arguments)});
}
std::string SlotAddress(int slot, const char* verb) { return "/clangster/slot/" + std::to_string(slot + 1) + "/" + verb; }

// CPU of the board, and of the board with the Wine server, in % of a core
// over a stretch of time, with that stretch on the raw clock.
struct Window {
  double own = 0, withServer = 0, rawFrom = 0, rawTo = 0;
};

class CpuMeter {
 public:
  CpuMeter(pid_t board, pid_t server) : board_(board), server_(server) {}
  void Start() {
    t0_ = Mono();
    raw0_ = Raw();
    b0_ = CpuSeconds(board_);
    s0_ = CpuSeconds(server_);
  }
  Window Stop() const {
    const double t = Mono() - t0_, b = CpuSeconds(board_) - b0_, s = CpuSeconds(server_) - s0_;
    return {b / t * 100, (b + s) / t * 100, raw0_, Raw()};
  }
  Window Measure(double seconds) {
    Start();
    Pause(seconds);
    return Stop();
  }

 private:
  pid_t board_, server_;
  double t0_ = 0, raw0_ = 0, b0_ = 0, s0_ = 0;
};

// 1,000 datagrams a second, evenly, in turn from `messages`; how many went.
int Flood(const Udp& controller, int port, double seconds, const std::vector<std::string>& messages) {
  int sent = 0;
  const int count = static_cast<int>(seconds * 1000);
  const double start = Mono();
  for (int i = 0; i < count; ++i) {
    Until(start + i * 0.001);
    sent += controller.Send(messages[static_cast<size_t>(i) % messages.size()], port);
  }
  return sent;
}

// The longest time between two refresh ticks of the board within a stretch (seconds).
double LongestTickGap(const Trace& trace, const Window& w) {
  double longest = 0;
  std::optional<long long> last;
  for (const Trace::Stamp& s : trace.stamps) {
    if (s.event != "tick") continue;
    const double at = static_cast<double>(s.count) / trace.frequency;
    if (at < w.rawFrom || at > w.rawTo) continue;
    if (last) longest = std::max(longest, static_cast<double>(s.count - *last) / trace.frequency);
    last = s.count;
  }
  return longest;
}

// Stamps of `event` between two times of the raw clock.
int CountBetween(const Trace& trace, const std::string& event, double from, double to) {
  return static_cast<int>(std::count_if(trace.stamps.begin(), trace.stamps.end(), [&](const Trace::Stamp& s) {
    const double at = static_cast<double>(s.count) / trace.frequency;
    return s.event == event && at >= from && at <= to;
  }));
}

// Feedback heard by each subscriber: for each slot, the times its datagrams came.
using Heard = std::array<std::array<std::vector<double>, kSlots>, kSubscribers>;

void Listen(const std::array<const Udp*, kSubscribers>& subscribers, double seconds, Heard& heard) {
  std::array<pollfd, kSubscribers> fds{};
  for (int i = 0; i < kSubscribers; ++i) fds[static_cast<size_t>(i)] = {subscribers[static_cast<size_t>(i)]->fd(), POLLIN, 0};
  const double end = Mono() + seconds;
  std::vector<char> buffer(65536);
  // Each datagram's time is the kernel's, taken as the board sent it, not
  // when this thread came round to read it.
  for (const pollfd& p : fds) {
    const int on = 1;
    setsockopt(p.fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
  }
  for (double now = Mono(); now < end; now = Mono()) {
    if (poll(fds.data(), fds.size(), static_cast<int>((end - now) * 1000) + 1) <= 0) continue;
    for (int i = 0; i < kSubscribers; ++i) {
      if (!(fds[static_cast<size_t>(i)].revents & POLLIN)) continue;
      iovec data{buffer.data(), buffer.size()};
      alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
      msghdr header{};
      header.msg_iov = &data;
      header.msg_iovlen = 1;
      header.msg_control = control;
      header.msg_controllen = sizeof control;
      const ssize_t n = recvmsg(fds[static_cast<size_t>(i)].fd, &header, 0);
      if (n <= 0) continue;
      double at = Clock(CLOCK_REALTIME);
      for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c))
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
          timespec ts;
          std::memcpy(&ts, CMSG_DATA(c), sizeof ts);
          at = static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
        }
      // A datagram counts once for each slot it tells of.
      std::array<bool, kSlots> told{};
      for (const remote::OscMessage& m : remote::ReadOsc(buffer.data(), static_cast<size_t>(n))) {
        int slot = 0;
        if (std::sscanf(m.address.c_str(), "/clangster/slot/%d/", &slot) == 1 && slot >= 1 && slot <= kSlots)
          told[static_cast<size_t>(slot - 1)] = true;
      }
      for (int slot = 0; slot < kSlots; ++slot)
        if (told[static_cast<size_t>(slot)]) heard[static_cast<size_t>(i)][static_cast<size_t>(slot)].push_back(at);
    }
  }
}

// The most datagrams that came within any one second, as the board's clock
// tells a second: in whole milliseconds.
size_t MostInASecond(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  size_t most = 0;
  for (size_t first = 0, last = 0; last < times.size(); ++last) {
    while (times[last] - times[first] >= 0.999) ++first;
    most = std::max(most, last - first + 1);
  }
  return most;
}

std::string Fmt(double v, const char* format = "%.2f") {
  char s[64];
  std::snprintf(s, sizeof s, format, v);
  return s;
}

std::string Row(const std::string& figure, const std::string& board, const std::string& target,
                std::optional<bool> met) {
  return "| " + figure + " | " + board + " | " + target + " | " + (met ? (*met ? "yes" : "**no**") : "–") + " |\n";
}

}  // namespace

bool RunOscBench(bool quick, const std::string& schemePath, const std::string& out) {
  const int pairs = quick ? 20 : 1000;         // stop, then play: each play datagram calls Play
  const double floodSeconds = quick ? 1 : 60;  // at 1,000 commands a second
  const double window = quick ? 1 : 20;        // each stretch without OSC, and the feedback's
  const int port = 20000 + getpid() % 20000;
  const std::string dir = e2e::HostBuildDir() + (quick ? "/bench-quick" : "/bench");
  const std::string tracePath = dir + "/osc.trace";
  fs::remove(tracePath);

  // The bench's scheme as the last one, other sounds left alone when one starts, OSC on.
  for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
           {"LastFile", e2e::ToWindowsPath(schemePath)}, {"onplay", "0"}, {"RemoteControl", "1"},
           {"RemotePort", std::to_string(port)}, {"RemoteFromNetwork", "1"}, {"RemoteAllow", kAllowList}})
    e2e::RunCommand({"wine", "reg", "add", kKey, "/v", name, "/t", "REG_SZ", "/d", value, "/f"});
  setenv("CLANGSTER_TRACE", e2e::ToWindowsPath(tracePath).c_str(), 1);
  auto board = e2e::StartWindows(e2e::ClangsterExe());
  unsetenv("CLANGSTER_TRACE");
  const bool started = board && e2e::WaitForWindow(" - Clangster$", *board, 120);
  const std::vector<pid_t> pids = e2e::BoardPids();
  const std::optional<pid_t> server = FindProcess("wineserver", true);
  if (!started || pids.size() != 1 || !server) {
    std::fprintf(stderr, "bench: the board for OSC did not start\n");
    e2e::ResetSettings();
    return false;
  }
  const std::string driver = e2e::WinBuildDir() + "/tools/bench/clangster-bench-driver.exe";
  Pause(quick ? 0.3 : 1.5);
  std::vector<std::string> fire = {"fire"};
  for (int i = 0; i < kSlots; ++i) fire.push_back(SoundName(i));
  e2e::RunWindows(driver, fire);  // by name, so that every OSC play stamp below is the bench's own
  Pause(quick ? 0.2 : 5.0);  // the sounds' first seconds cost more than the ones after
  CpuMeter cpu(pids[0], *server);
  Udp controller(kControllerAddress);

  std::fprintf(stderr, "bench: OSC, without it\n");
  const Window before = cpu.Measure(window);

  std::fprintf(stderr, "bench: OSC, %d datagrams to Play\n", pairs);
  std::vector<double> sentRaw;  // each play datagram, on the raw clock
  const std::string stop = Message(SlotAddress(0, "stop")), play = Message(SlotAddress(0, "play"));
  for (int i = 0; i < pairs; ++i) {
    controller.Send(stop, port);
    Pause(0.004);
    sentRaw.push_back(Raw());
    controller.Send(play, port);
    Pause(0.004);
  }

  std::fprintf(stderr, "bench: OSC, 1,000 commands a second for %.0f s\n", floodSeconds);
  // A controller's faders: each slot's volume in turn, between two levels.
  std::vector<std::string> faders;
  for (int i = 0; i < 2 * kSlots; ++i)
    faders.push_back(Message(SlotAddress(i % kSlots, "volume"), {{'f', i < kSlots ? 0.8 : 0.9, {}}}));
  cpu.Start();
  const int floodSent = Flood(controller, port, floodSeconds, faders);
  const Window flood = cpu.Stop();
  Pause(0.5);  // the last ones read before the next stretch
  const Window after = cpu.Measure(window);

  std::fprintf(stderr, "bench: OSC, feedback to %d subscribers\n", kSubscribers);
  std::vector<std::unique_ptr<Udp>> sockets;
  for (int i = 0; i < kSubscribers; ++i) sockets.push_back(std::make_unique<Udp>(SubscriberAddress(i)));
  std::array<const Udp*, kSubscribers> subscribers{};
  for (int i = 0; i < kSubscribers; ++i) subscribers[static_cast<size_t>(i)] = sockets[static_cast<size_t>(i)].get();
  for (const Udp* s : subscribers) s->Send(Message("/clangster/subscribe"), port);
  Heard heard;
  cpu.Start();
  Listen(subscribers, window, heard);
  const Window feedback = cpu.Stop();

  // The commands again while all of them hear the feedback.
  std::fprintf(stderr, "bench: OSC, 1,000 commands a second with %d subscribers\n", kSubscribers);
  const double busyFrom = Raw();
  int busySent = 0;
  std::thread flooding([&] { busySent = Flood(controller, port, window, faders); });
  Heard busyHeard;
  Listen(subscribers, window + 0.5, busyHeard);
  flooding.join();
  const double busyTo = Raw();
  // The board as it was just before, once the subscriptions have run out,
  // so that the feedback's stretch is measured between two of its own.
  for (double end = Mono() + 70; Mono() < end;) {
    Heard late;
    Listen(subscribers, 1, late);
    if (std::all_of(late.begin(), late.end(), [](const auto& slots) {
          return std::all_of(slots.begin(), slots.end(), [](const auto& times) { return times.empty(); });
        }))
      break;
  }
  const Window afterFeedback = cpu.Measure(window);

  e2e::RunWindows(driver, {"close"});
  if (!board->wait(60)) board->kill();
  e2e::ResetSettings();

  // The floor: the same sounds, socket and commands, without the board.
  std::fprintf(stderr, "bench: OSC floor\n");
  Window floorBefore, floorFlood, floorAfter;
  auto floor = e2e::StartWindows(e2e::WinBuildDir() + "/tools/bench/clangster-osc-floor.exe",
                                 {std::to_string(port), e2e::ToWindowsPath(schemePath)});
  const std::optional<pid_t> floorPid =
      floor && e2e::WaitUntil([&] { return UdpPortBound(port); }, 60) ? FindProcess("clangster-osc-floor.exe") : std::nullopt;
  if (floorPid) {
    CpuMeter floorCpu(*floorPid, *server);
    Pause(quick ? 0.2 : 5.0);  // as for the board: past the sounds' first seconds
    floorBefore = floorCpu.Measure(window);
    floorCpu.Start();
    Flood(controller, port, floodSeconds, faders);
    floorFlood = floorCpu.Stop();
    Pause(0.5);
    floorAfter = floorCpu.Measure(window);
    controller.Send(Message("/floor/quit"), port);
  } else {
    std::fprintf(stderr, "bench: the OSC floor did not start\n");
  }
  if (floor && !floor->wait(30)) floor->kill();
  const Trace trace = ParseTrace(e2e::ReadWholeFile(tracePath));
  if (trace.frequency <= 0) {
    std::fprintf(stderr, "bench: the board left no time stamps for OSC\n");
    return false;
  }

  // Figures.
  const std::vector<double> readToPlay = trace.TriggerToPlay("osc");
  std::vector<long long> sentCounts;
  for (double t : sentRaw) sentCounts.push_back(static_cast<long long>(t * trace.frequency));
  const std::vector<double> sentToPlay = SentToPlay(sentCounts, trace.Plays(), trace.frequency);
  const int read = CountBetween(trace, "osc", flood.rawFrom, after.rawFrom);
  const int busyRead = CountBetween(trace, "osc", busyFrom, busyTo);
  const double baseOwn = (before.own + after.own) / 2, baseAll = (before.withServer + after.withServer) / 2;
  const double feedbackOwn = (after.own + afterFeedback.own) / 2,
               feedbackAll = (after.withServer + afterFeedback.withServer) / 2;
  const double tickBase = std::max(LongestTickGap(trace, before), LongestTickGap(trace, after));
  const double tickFlood = LongestTickGap(trace, flood);
  size_t most = 0, total = 0;
  for (const auto& subscriber : heard)
    for (const auto& slot : subscriber) {
      most = std::max(most, MostInASecond(slot));
      total += slot.size();
    }
  const double perSlot = static_cast<double>(total) / (kSubscribers * kSlots) / window;

  auto ms = [](std::optional<double> v) { return v ? Fmt(*v * 1e3, "%.3f") : std::string("–"); };
  const auto p99 = Percentile(readToPlay, 99);
  std::string section = "The board with the bench's 18 looping sounds playing, driven over UDP at 127.0.0.1 by the "
                        "bench itself, from loopback addresses of its own that the board's list of allowed "
                        "controllers names (so that every datagram is checked against it); figures from the board's time stamps and its CPU (process, and with the Wine "
                        "server, which carries every datagram), each against stretches of " +
                        Fmt(window, "%.0f") + " s of the same board without OSC just before and after the commands, "
                        "and the feedback's against the stretch before it and one after its subscriptions ran out.\n\n";
  section += "| figure | board | target | met |\n|---|---|---|---|\n";
  section += Row("OSC datagram read → `Play` called (ms, median / p99, n=" + std::to_string(readToPlay.size()) + ")",
                 ms(Median(readToPlay)) + " / " + ms(p99), "p99 < 1 ms",
                 p99 ? std::optional<bool>(*p99 < 1e-3 && readToPlay.size() == static_cast<size_t>(pairs))
                     : std::nullopt);
  section += Row("OSC datagram sent → `Play` called (ms, median / p99, n=" + std::to_string(sentToPlay.size()) + ")",
                 ms(Median(sentToPlay)) + " / " + ms(Percentile(sentToPlay, 99)), "", std::nullopt);
  section += Row("1,000 commands a second for " + Fmt(floodSeconds, "%.0f") + " s: read and carried out",
                 std::to_string(read) + " of " + std::to_string(floodSent), "all", read == floodSent);
  section += Row("… the same for " + Fmt(window, "%.0f") + " s while " + std::to_string(kSubscribers) +
                     " subscribers hear the feedback",
                 std::to_string(busyRead) + " of " + std::to_string(busySent), "all", busyRead == busySent);
  section += Row("Longest time between refresh ticks (ms): without OSC → during the commands",
                 Fmt(tickBase * 1e3, "%.0f") + " → " + Fmt(tickFlood * 1e3, "%.0f"), "≤ 200 (one tick late)",
                 tickFlood > 0 && tickFlood <= 0.2);
  section += Row("CPU during the commands, process (% of a core)",
                 Fmt(baseOwn) + " → " + Fmt(flood.own) + " (" + Fmt(flood.own - baseOwn, "%+.2f") + " points)",
                 "≤ +2 points", flood.own - baseOwn <= 2);
  const double floorBase = (floorBefore.own + floorAfter.own) / 2;
  const double boardAdds = (flood.own - baseOwn) - (floorFlood.own - floorBase);
  section += Row("… the same commands to the floor (the same sounds playing, the board's socket, each volume set on its "
                 "sound, nothing drawn)",
                 floorPid ? Fmt(floorBase) + " → " + Fmt(floorFlood.own) + " (" +
                                Fmt(floorFlood.own - floorBase, "%+.2f") + " points)"
                          : "–",
                 "", std::nullopt);
  section += Row("… the board's own part: its rise less the floor's", floorPid ? Fmt(boardAdds, "%+.2f") + " points" : "–",
                 "≤ +2 points", floorPid ? std::optional<bool>(boardAdds <= 2) : std::nullopt);
  section += Row("CPU during the commands, process + wineserver",
                 Fmt(baseAll) + " → " + Fmt(flood.withServer) + " (" + Fmt(flood.withServer - baseAll, "%+.2f") +
                     " points)",
                 "", std::nullopt);
  section += Row("Feedback, " + std::to_string(kSubscribers) +
                     " subscribers: datagrams per slot and subscriber, a second on average / most in any second (to the ms)",
                 Fmt(perSlot) + " / " + std::to_string(most), "≤ 10", total > 0 && most <= 10);
  section += Row("CPU with the feedback, process (% of a core)",
                 Fmt(feedbackOwn) + " → " + Fmt(feedback.own) + " (" + Fmt(feedback.own - feedbackOwn, "%+.2f") +
                     " points)",
                 "≤ +1 point", feedback.own - feedbackOwn <= 1);
  section += Row("CPU with the feedback, process + wineserver",
                 Fmt(feedbackAll) + " → " + Fmt(feedback.withServer) + " (" +
                     Fmt(feedback.withServer - feedbackAll, "%+.2f") + " points)",
                 "", std::nullopt);
  std::printf("\n%s", section.c_str());
  if (!out.empty()) e2e::WriteMarkedSection(out, "osc-bench", section);
  return readToPlay.size() == static_cast<size_t>(pairs) && total > 0;
}

}  // namespace bench
