#include "DecodeBench.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "BenchStats.h"
#include "BoardDriver.h"
#include "Harness.h"
#include "remote/Osc.h"
#include "scheme/SchemeFormat.h"

namespace fs = std::filesystem;

namespace bench {

namespace {

constexpr int kCount = 18;

double Hz(int i) { return 220.0 + 20.0 * i; }
std::string Name(int i) { return "DECODE " + std::to_string(i + 1); }

// 18 stereo MP3s of a tone each, made once by Debian's encoders.
std::vector<std::string> MakeMp3s(const std::string& dir, int seconds) {
    fs::create_directories(dir);
    std::vector<std::string> paths;
    for (int i = 0; i < kCount; ++i) {
        const std::string mp3 = dir + "/decode-" + std::to_string(i + 1) + ".mp3", wav = mp3 + ".wav";
        if (!fs::exists(mp3)) {
            e2e::RunCommand({"sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth",
                             std::to_string(seconds), "sine", std::to_string(Hz(i)), "vol", "0.5"});
            e2e::RunCommand({"lame", "--quiet", "-b", "192", wav, mp3}, 120);
            fs::remove(wav);
        }
        paths.push_back(mp3);
    }
    return paths;
}

// Seconds from the program's start to its "ready" stamp.
std::optional<double> ReadySeconds(const std::string& tracePath) {
    return ParseTrace(e2e::ReadWholeFile(tracePath)).First("ready");
}

std::string Fmt(double v, const char* format) {
    char s[32];
    std::snprintf(s, sizeof s, format, v);
    return s;
}

// Root mean square of each 10 ms window of a channel, one window every millisecond.
std::vector<double> WindowLevels(const e2e::Pcm& pcm, int channel) {
    const size_t window = static_cast<size_t>(pcm.rate) / 100, step = static_cast<size_t>(pcm.rate) / 1000;
    std::vector<double> levels;
    for (size_t at = 0; at + window <= pcm.frames(); at += step) {
        double sum = 0;
        for (size_t f = at; f < at + window; ++f) {
            const double s = pcm.samples[f * static_cast<size_t>(pcm.channels) + static_cast<size_t>(channel)];
            sum += s * s;
        }
        levels.push_back(std::sqrt(sum / static_cast<double>(window)));
    }
    return levels;
}

constexpr double kSeamHz = 441;  // 100 samples a cycle: a second of it is whole cycles

// The looped MP3 (left) and the same tone held whole (right), one name for
// both so that one trigger starts them together; heard for `seconds`.
bool MeasureSeam(const std::string& dir, double seconds, int& dips, double& heard, double& gaps) {
    const std::string mp3 = dir + "/seam-left.mp3", right = dir + "/seam-right.wav", scheme = dir + "/seam.scheme";
    const std::string hz = std::to_string(kSeamHz);
    if (!fs::exists(mp3)) {
        const std::string left = dir + "/seam-left.wav";
        e2e::RunCommand({"sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", left, "synth", "1", "sine", hz, "vol",
                         "0.5", "remix", "1", "0"});
        e2e::RunCommand({"lame", "--quiet", "-b", "192", left, mp3}, 120);
        fs::remove(left);
    }
    if (!fs::exists(right))
        e2e::RunCommand({"sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", right, "synth", "1", "sine", hz, "vol",
                         "0.5", "remix", "0", "1"});
    std::string text;
    for (const std::string& path : {mp3, right}) {
        scheme::SlotLine line;
        line.path = e2e::ToWindowsPath(path);
        line.name = "SEAM";
        line.loop = true;
        text += scheme::FormatSlotFields(line) + "\r\n";
    }
    std::ofstream(scheme, std::ios::binary) << text;
    // As the last scheme, not on the command line: only then is the on-play
    // mode read, and the second start must leave the first alone.
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"LastFile", e2e::ToWindowsPath(scheme)}, {"onplay", "0"}})
        e2e::RunCommand({"wine", "reg", "add", "HKCU\\Software\\Marrowick\\Clangster", "/v", name, "/t", "REG_SZ",
                         "/d", value, "/f"});
    auto process = e2e::StartWindows(e2e::ClangsterExe());
    const std::string driver = e2e::WinBuildDir() + "/tools/bench/clangster-bench-driver.exe";
    bool ok = process && e2e::WaitForWindow("^seam - Clangster$", *process, 120);
    if (ok) {
        e2e::SinkCapture capture;
        ok = capture.start() && capture.waitUntilCaptured(0.2, 10);
        e2e::RunWindows(driver, {"fire", "SEAM"});
        const auto onset = ok ? capture.waitForSound(-30, 0.2, 10) : std::nullopt;
        ok = onset && capture.waitUntilCaptured(*onset + seconds + 0.2, seconds + 60);
        const e2e::Pcm pcm = capture.stop();
        if (ok) dips = SeamDips(pcm.slice(*onset + 0.1, *onset + seconds + 0.1), heard, gaps);
        ok = ok && dips >= 0;
    }
    e2e::RunWindows(driver, {"close"});
    if (process && !process->wait(60)) process->kill();
    if (!ok) std::fprintf(stderr, "bench: the looped MP3's seam could not be measured\n");
    return ok;
}

// One OSC datagram to the board's port on this computer.
bool SendOsc(int port, const std::string& address) {
    const std::string bytes = remote::WriteOsc({address, {}});
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool sent = fd >= 0 && sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to),
                                        sizeof to) == static_cast<ssize_t>(bytes.size());
    if (fd >= 0) close(fd);
    return sent;
}

// What opening compressed sounds while the board runs costs: the scheme of
// 18 MP3s opened by a remote favourite, each slot playable after its open;
// then a long MP3 opened the same way and fired at once, heard after the
// fire, while another program's WM_NULL round trips see how long the window
// keeps it waiting.
struct Opening {
    double worstPlayable = -1;  // s from the favourite's datagram to the last slot loaded
    int playable = 0;           // slots loaded
    double heard = -1;          // s from the fire to the long MP3 at the sink
    double worstRoundTrip = -1; // ms
    int roundTrips = 0;
};

Opening MeasureOpening(const std::string& dir, bool quick, const std::string& manyScheme) {
    Opening o;
    const int minutes = quick ? 1 : 30;
    const std::string mp3 = dir + "/long-" + std::to_string(minutes) + ".mp3", scheme = dir + "/long.scheme";
    if (!fs::exists(mp3)) {
        const std::string wav = mp3 + ".wav";
        e2e::RunCommand({"sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth",
                         std::to_string(quick ? 30 : minutes * 60), "sine", "330", "vol", "0.5"}, 600);
        e2e::RunCommand({"lame", "--quiet", "-b", "192", wav, mp3}, 1200);
        fs::remove(wav);
    }
    scheme::SlotLine line;
    line.path = e2e::ToWindowsPath(mp3);
    line.name = "LONG";
    std::ofstream(scheme, std::ios::binary) << scheme::FormatSlotFields(line) + "\r\n";
    const int port = 20000 + (getpid() + 7) % 20000;
    e2e::ResetSettings();
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"MRU0", e2e::ToWindowsPath(scheme)}, {"MRU1", e2e::ToWindowsPath(manyScheme)}, {"RemoteControl", "1"},
             {"RemotePort", std::to_string(port)}})
        e2e::RunCommand({"wine", "reg", "add", "HKCU\\Software\\Marrowick\\Clangster", "/v", name, "/t", "REG_SZ",
                         "/d", value, "/f"});
    const std::string trace = dir + "/opening.trace", driver = e2e::WinBuildDir() + "/tools/bench/clangster-bench-driver.exe";
    fs::remove(trace);
    setenv("CLANGSTER_TRACE", e2e::ToWindowsPath(trace).c_str(), 1);
    auto process = e2e::StartWindows(e2e::ClangsterExe());
    unsetenv("CLANGSTER_TRACE");
    bool ok = process && e2e::WaitForWindow(" - Clangster$", *process, 120);
    if (ok) {
        std::this_thread::sleep_for(std::chrono::seconds(2));  // start-up work done
        SendOsc(port, "/clangster/favourite/2");
        ok = e2e::WaitForTitle("decode - Clangster", 60) && e2e::WaitForLoads(120);
        std::this_thread::sleep_for(std::chrono::seconds(quick ? 2 : 15));  // the rest of their decodes
    }
    e2e::SinkCapture capture;
    ok = ok && capture.start() && capture.waitUntilCaptured(0.2, 10);
    if (ok) {
        e2e::RunResult pings;
        std::thread pinger([&] { pings = e2e::RunWindows(driver, {"ping", quick ? "4" : "20"}, 120); });
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the pinger under way
        SendOsc(port, "/clangster/favourite/1");
        SendOsc(port, "/clangster/slot/1/play");
        const double fired = capture.capturedSeconds();
        if (const auto onset = capture.waitForSound(-30, fired, 20)) o.heard = *onset - fired;
        pinger.join();
        std::sscanf(pings.output.c_str() + std::min(pings.output.size(), pings.output.find("worst")), "worst %lf",
                    &o.worstRoundTrip);
        if (const auto at = pings.output.find("pings"); at != std::string::npos)
            std::sscanf(pings.output.c_str() + at, "pings %d", &o.roundTrips);
    }
    capture.stop();
    e2e::RunWindows(driver, {"close"});
    if (process && !process->wait(60)) process->kill();
    // The favourite's datagram was the board's first; the long sound's the second.
    const Trace stamps = ParseTrace(e2e::ReadWholeFile(trace));
    const std::vector<double> osc = stamps.All("osc"), loaded = stamps.All("loaded");
    if (osc.size() >= 2) {
        for (double t : loaded)
            if (t > osc[0] && t < osc[1]) {
                ++o.playable;
                o.worstPlayable = std::max(o.worstPlayable, t - osc[0]);
            }
    }
    if (!ok) std::fprintf(stderr, "bench: opening MP3s by remote favourites could not be measured\n");
    std::fprintf(stderr, "bench: opened by favourites: %d slots playable, the last after %.2f s; the long MP3 heard "
                 "%.2f s after its fire; WM_NULL worst %.1f ms of %d\n", o.playable, o.worstPlayable, o.heard,
                 o.worstRoundTrip, o.roundTrips);
    return o;
}

// "mm;ss" as the board shows a length.
std::string ShownLength(double seconds) {
    const int whole = static_cast<int>(seconds);
    char s[16];
    std::snprintf(s, sizeof s, "%02d;%02d", whole / 60, whole % 60);
    return s;
}

}  // namespace

int SeamDips(const e2e::Pcm& pcm, double& heard, double& gaps) {
    heard = gaps = 0;
    const std::vector<double> left = WindowLevels(pcm, 0), right = WindowLevels(pcm, 1);
    const double leftLevel = Median(left).value_or(0), rightLevel = Median(right).value_or(0), step = 0.001;
    if (left.size() < 1000 || leftLevel < 100 || rightLevel < 100) return -1;  // a second, and a tone in each
    int dips = 0;
    bool inDip = false;
    for (size_t i = 0; i < left.size(); ++i) {
        const bool serverGap = right[i] < rightLevel / 2, low = left[i] < leftLevel / 2 && !serverGap;
        if (serverGap) gaps += step;
        if (low && !inDip) ++dips;
        inDip = low;
    }
    heard = static_cast<double>(left.size()) * step;
    return dips;
}

bool RunDecodeBench(bool quick, int rounds, const std::string& out) {
    const int seconds = quick ? 2 : 60;
    const std::string dir = e2e::HostBuildDir() + (quick ? "/bench-quick" : "/bench") + "/mp3";
    const std::vector<std::string> mp3s = MakeMp3s(dir, seconds);
    std::string scheme;
    std::vector<std::string> windowsPaths;
    for (int i = 0; i < kCount; ++i) {
        windowsPaths.push_back(e2e::ToWindowsPath(mp3s[static_cast<size_t>(i)]));
        scheme::SlotLine line;
        line.path = windowsPaths.back();
        line.name = Name(i);
        scheme += scheme::FormatSlotFields(line) + "\r\n";
    }
    const std::string schemePath = dir + "/decode.scheme";
    std::ofstream(schemePath, std::ios::binary) << scheme;
    const std::string trace = dir + "/decode.trace";
    setenv("CLANGSTER_TRACE", e2e::ToWindowsPath(trace).c_str(), 1);

    std::vector<double> board, floor;
    std::vector<double> frames;  // as the decoder gives them, per sound
    int lengths = 0, pitches = 0;  // sounds shown with the decoded length, heard at their pitch
    double worst = 0;              // the largest pitch error, as a fraction
    bool ok = true;
    for (int round = 0; round < rounds && ok; ++round) {
        // Floor: the same decoder, one sound after another on one thread.
        fs::remove(trace);
        const e2e::RunResult r =
            e2e::RunWindows(e2e::WinBuildDir() + "/tools/bench/clangster-decode-floor.exe", windowsPaths, 600);
        std::istringstream lines(r.output);
        frames.clear();
        for (std::string line; std::getline(lines, line);) {
            double n = 0, rate = 0;
            if (std::sscanf(line.c_str(), "%lf %lf", &n, &rate) == 2 && rate > 0) frames.push_back(n);
        }
        if (auto t = ReadySeconds(trace)) floor.push_back(*t);
        ok = r.exitCode == 0 && frames.size() == kCount;
        if (!ok) std::fprintf(stderr, "bench: the decode floor failed: %s\n", r.output.c_str());

        // Board: the scheme named on the command line, loaded before the window shows.
        fs::remove(trace);
        auto process = e2e::StartWindows(e2e::ClangsterExe(), {e2e::ToWindowsPath(schemePath)});
        if (!process || !e2e::WaitForWindow("^decode - Clangster$", *process, 600)) {
            std::fprintf(stderr, "bench: the board did not load the MP3 scheme\n");
            ok = false;
            break;
        }
        const bool last = round + 1 == rounds;
        // Closed, the board would stop its decodes: they are given time to end.
        if (!last && !floor.empty()) std::this_thread::sleep_for(std::chrono::duration<double>(floor.back() * 1.5));
        if (last) {
            // Lengths as shown once the sounds have loaded (a decode confirms
            // its length at the next tick), and the pitch of each as heard.
            auto shownAsDecoded = [&] {
                const e2e::BoardState state = e2e::ReadBoard();
                int n = 0;
                for (int i = 0; i < kCount; ++i) {
                    const std::string title = state.slots.count(i) ? state.slots.at(i).title : "";
                    n += title.size() >= 25 && title.substr(20) == ShownLength(frames[static_cast<size_t>(i)] / 44100.0);
                }
                return n;
            };
            if (ok) {
                e2e::WaitUntil([&] { return shownAsDecoded() == kCount; }, 60, 0.2);
                lengths = shownAsDecoded();
            }
            for (int i = 0; i < kCount && ok; ++i) {
                e2e::SinkCapture capture;
                if (!capture.start() || !capture.waitUntilCaptured(0.2, 10)) break;
                e2e::RunWindows(e2e::WinBuildDir() + "/tools/bench/clangster-bench-driver.exe", {"fire", Name(i)});
                const auto onset = capture.waitForSound(-30, 0.2, 10);
                if (onset) capture.waitUntilCaptured(*onset + 0.8, 10);
                e2e::RunWindows(e2e::WinBuildDir() + "/tools/bench/clangster-bench-driver.exe", {"fire", Name(i)});
                const e2e::Pcm pcm = capture.stop();
                const double hz = onset ? e2e::DominantFrequency(pcm, *onset + 0.1, *onset + 0.7) : 0;
                worst = std::max(worst, std::fabs(hz / Hz(i) - 1));
                if (std::fabs(hz / Hz(i) - 1) >= 0.005)
                    std::fprintf(stderr, "bench: %s heard at %.1f Hz, made at %.1f Hz\n", Name(i).c_str(), hz, Hz(i));
                if (std::fabs(hz / Hz(i) - 1) < 0.005) ++pitches;
            }
            std::fprintf(stderr, "bench: decoded sounds: %d of %d lengths as decoded, %d of %d pitches within 0.5%% "
                         "(worst %.2f%%)\n", lengths, kCount, pitches, kCount, worst * 100);
            ok = ok && lengths == kCount && pitches == kCount;
        }
        e2e::RunWindows(e2e::WinBuildDir() + "/tools/bench/clangster-bench-driver.exe", {"close"});
        if (!process->wait(60)) process->kill();
        // Its sounds play from their first seconds: done when the last of them is decoded.
        const std::vector<double> decoded = ParseTrace(e2e::ReadWholeFile(trace)).All("decoded");
        if (decoded.size() >= kCount) board.push_back(*std::max_element(decoded.begin(), decoded.end()));
        std::fprintf(stderr, "bench: decode round %d: %zu decoded, the last at %.2f s; floor %.2f s\n", round + 1,
                     decoded.size(), board.empty() ? -1.0 : board.back(), floor.empty() ? -1.0 : floor.back());
    }
    unsetenv("CLANGSTER_TRACE");
    const Opening opening = MeasureOpening(dir, quick, schemePath);
    int dips = -1;
    double heard = 0, gaps = 0;
    const double seamSeconds = quick ? 3 : 20;  // a seam a second
    ok = ok && MeasureSeam(dir, seamSeconds, dips, heard, gaps);
    e2e::ResetSettings();

    const auto b = Median(board), f = Median(floor);
    std::string section = "18 stereo MP3s of " + std::to_string(seconds) +
                          " s each (192 kbit/s), decoded by the system's decoder (Media Foundation). Median of " +
                          std::to_string(board.size()) + " runs each, from process start to the last sound decoded."
                          " Then, in one board, that scheme opened by a remote favourite (`/clangster/favourite/2`),"
                          " and a " + (quick ? std::string("30 s") : std::string("30-minute")) +
                          " MP3 opened by another and fired at once, over OSC.\n\n";
    section += "| figure | board | floor | board vs floor | target | met |\n|---|---|---|---|---|---|\n";
    const bool met = b && f && *b <= *f;
    section += "| Scheme of 18 MP3s decoded (s); floor: one thread decoding them in turn | " +
               (b ? Fmt(*b, "%.2f") : "–") + " | " + (f ? Fmt(*f, "%.2f") : "–") + " | " +
               (b && f ? Fmt(*b / *f, "%.2f") + "×" : "–") + " | ≤ 1.0× | " + (met ? "yes" : "**no**") + " |\n";
    section += "| Shown length as decoded (to the second) | " + std::to_string(lengths) + " of 18 | | | 18 of 18 | " +
               (lengths == kCount ? "yes" : "**no**") + " |\n";
    section += "| Pitch as heard within 0.5 % | " + std::to_string(pitches) + " of 18 (worst " + Fmt(worst * 100, "%.2f") +
               " %) | | | 18 of 18 | " + (pitches == kCount ? "yes" : "**no**") + " |\n";
    section += "| Looped 1 s MP3 (441 Hz, LAME): 10 ms windows below half the tone's level, against the same tone held "
               "whole (the sound server's gaps aside) | " +
               (dips >= 0 ? std::to_string(dips) + " in " + Fmt(heard, "%.1f") + " s, " +
                                std::to_string(static_cast<int>(heard)) + " seams (" + Fmt(gaps, "%.2f") + " s)"
                          : std::string("–")) +
               " | | | none | " + (dips == 0 ? "yes" : "**no**") + " |\n";
    const bool playable = opening.playable == kCount && opening.worstPlayable >= 0 && opening.worstPlayable <= 1;
    section += "| 18 MP3s opened by a remote favourite: the last slot playable after (s) | " +
               (opening.worstPlayable >= 0 ? Fmt(opening.worstPlayable, "%.2f") : "–") + " (" +
               std::to_string(opening.playable) + " of 18) | | | ≤ 1 | " + (playable ? "yes" : "**no**") + " |\n";
    section += "| A long MP3 opened by a remote favourite and fired at once: heard after the fire (s) | " +
               (opening.heard >= 0 ? Fmt(opening.heard, "%.2f") : "–") + " | | | ≤ 1 | " +
               (opening.heard >= 0 && opening.heard <= 1 ? "yes" : "**no**") + " |\n";
    section += "| The same, another program's `WM_NULL` round trip to the window, worst (ms) | " +
               (opening.roundTrips > 0 ? Fmt(opening.worstRoundTrip, "%.1f") + " of " +
                                             std::to_string(opening.roundTrips)
                                       : std::string("–")) +
               " | | | ≤ 150 | " + (opening.roundTrips > 0 && opening.worstRoundTrip <= 150 ? "yes" : "**no**") + " |\n";
    ok = ok && opening.playable == kCount && opening.heard >= 0 && opening.roundTrips > 0;  // measured; targets aside
    std::printf("\n%s", section.c_str());
    if (!out.empty()) e2e::WriteMarkedSection(out, "decode", section);
    return ok && b && f;
}

}  // namespace bench
