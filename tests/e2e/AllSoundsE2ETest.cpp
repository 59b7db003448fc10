// Ending a scene on the real Clangster.exe under Wine: Esc, Shift+Esc and the
// trigger tool's --stop-all on three sounds at once; hotkeys while another
// program has the focus, one held elsewhere told; and the sound output
// chosen in Options, heard on a second PulseAudio sink (every sound moved
// there as it plays, one whose file was deleted too), kept across a restart,
// lost while a looped tone plays there and found again when the sink comes
// back, and given up for the default when that sink is gone; eighteen hour-long
// sounds, streamed, sought and played together, one of them from a file
// that stalls and then goes away.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>
#include <functional>
#include <iostream>

#include "BoardDriver.h"
#include "SlowFolder.h"
#include "resource.h"

namespace e2e {
namespace {

constexpr double kSoundDb = -30;
constexpr int kOptions = ID_TOOLS_OPTIONS, kIdOk = 1, kSoundOutputList = IDC_SOUND_OUTPUT;
const char kKey[] = "HKCU\\Software\\Marrowick\\Clangster";
const char kSecondSink[] = "clangster_second";

class AllSoundsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InTestEnvironment()) << "run through scripts/with-test-env.sh";
        ASSERT_TRUE(ResetSettings());
        char pattern[] = "/tmp/clangster-e2e-all-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        // Three quiet tones together stay below full scale.
        const double hz[] = {440, 660, 990};
        std::ofstream scheme(dir_ + "/show.scheme", std::ios::binary);
        for (int i = 0; i < 3; ++i) {
            const std::string file = dir_ + "/t" + std::to_string(i) + ".wav";
            WriteTone(file, 20.0, hz[i], 0.25);
            scheme << ToWindowsPath(file) << "|T" << i << "|0.000000|0|0|" << (i == 0) << "|\r\n";  // T0 loops
        }
        for (int i = 3; i < 18; ++i) scheme << "||||\r\n";
        scheme << "Colours=0,255,50,0,58,15\r\nCompact=0\r\n";
    }
    void TearDown() override {
        if (board_ && HasFailure()) std::cerr << "board: " << board_->endReport() << "\n";
        if (board_) board_->kill();
        if (!sinkModule_.empty()) RunCommand({"pactl", "unload-module", sinkModule_});
        keeper_.reset();
        ResetSettings();
        RunCommand({"rm", "-rf", dir_});
    }

    void StartBoard(const std::vector<std::string>& args = {}) {
        board_ = StartWindows(ClangsterExe(), args);
        ASSERT_TRUE(board_);
        // A message box at start-up would keep the board hidden.
        ASSERT_TRUE(WaitForWindow("^show - Clangster$", *board_, 30)) << board_->output();
    }
    void CloseBoard() {
        Probe({"close"});
        ASSERT_TRUE(board_->wait(30)) << "the board did not close";
    }
    // The scheme and the mode as a closed board leaves them: leave other sounds alone.
    void StoreSchemeAndLeaveOthers() {
        RunWindows("reg", {"add", kKey, "/v", "LastFile", "/d", ToWindowsPath(dir_ + "/show.scheme"), "/f"});
        RunWindows("reg", {"add", kKey, "/v", "onplay", "/d", "0", "/f"});
    }
    static bool AllShow(const std::string& image) {
        const BoardState board = ReadBoard();
        for (int i = 0; i < 3; ++i)
            if (board.slots.at(i).image != image) return false;
        return true;
    }
    // Starts slots 0 to 2 with their keys and waits until all three play.
    void PlayThree() {
        for (const char* key : {"0x31", "0x32", "0x33"}) Probe({"key", key});
        ASSERT_TRUE(WaitUntil([] { return AllShow("playing"); }, 10));
    }
    // Plays slot 0 for a second on whatever output the board uses, recording both sinks.
    std::pair<Pcm, Pcm> PlayOnce() {
        SinkCapture first, second(kSecondSink);
        std::string error;
        EXPECT_TRUE(first.start(&error)) << error;
        if (!sinkModule_.empty()) {
            EXPECT_TRUE(second.start(&error)) << error;
        }
        Probe({"key", "0x31"});
        WaitUntil([] { return ReadBoard().slots.at(0).image == "playing"; }, 10);
        first.waitUntilCaptured(first.capturedSeconds() + 1.0);
        Probe({"key", "0x31", "shift"});
        return {first.stop(), second.stop()};
    }
    void AddSecondSink() {
        const RunResult r = RunCommand({"pactl", "load-module", "module-null-sink", std::string("sink_name=") + kSecondSink,
                                        "rate=44100", "channels=2", "sink_properties=device.description=SecondOutput"});
        ASSERT_EQ(r.exitCode, 0) << r.output;
        sinkModule_ = r.output.substr(0, r.output.find_first_of("\r\n"));
        // An idle null sink holds its monitor back; a silent stream keeps it in real time.
        keeper_ = Process::Start({"pacat", "--playback", std::string("--device=") + kSecondSink, "--latency-msec=10",
                                  "--raw", "--format=s16le", "--rate=44100", "--channels=2", "/dev/zero"});
        ASSERT_TRUE(keeper_);
    }

    std::string dir_, sinkModule_;
    std::unique_ptr<Process> board_, keeper_;
};

TEST_F(AllSoundsTest, EscAndTheToolsStopAllStopThreeSoundsAtOnce) {
    StoreSchemeAndLeaveOthers();
    ASSERT_NO_FATAL_FAILURE(StartBoard());
    for (const bool fromTool : {false, true}) {
        SCOPED_TRACE(fromTool ? "--stop-all" : "Esc");
        ASSERT_NO_FATAL_FAILURE(PlayThree());
        SinkCapture capture;
        std::string error;
        ASSERT_TRUE(capture.start(&error)) << error;
        capture.waitUntilCaptured(0.6);
        const double stopAt = capture.capturedSeconds();
        if (fromTool)
            ASSERT_EQ(RunWindows(TriggerExe(), {"--stop-all"}).exitCode, 0);
        else
            Probe({"key", "0x1B"});
        const double stoppedBy = capture.capturedSeconds();
        ASSERT_TRUE(WaitUntil([] { return AllShow("idle"); }, 10));
        capture.waitUntilCaptured(stoppedBy + 1.0);
        const Pcm pcm = capture.stop();

        EXPECT_GT(TypicalLevelDb(pcm, 0.1, stopAt - 0.1), kSoundDb) << "the sounds were not heard";
        EXPECT_LT(LevelDb(pcm, stoppedBy + 0.2, pcm.seconds()), -60) << "a sound went on";
        const BoardState board = ReadBoard();
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(board.slots.at(i).time, "      ") << i;
            EXPECT_EQ(board.slots.at(i).position, 0) << i;
        }
    }
    EXPECT_TRUE(board_->running());
}

TEST_F(AllSoundsTest, ShiftEscFadesEverySoundOutAtTwoDecibelsATickAndPausesIt) {
    StoreSchemeAndLeaveOthers();
    ASSERT_NO_FATAL_FAILURE(StartBoard());
    ASSERT_NO_FATAL_FAILURE(PlayThree());
    SinkCapture capture;
    std::string error;
    ASSERT_TRUE(capture.start(&error)) << error;
    capture.waitUntilCaptured(0.8);
    const double fadeAt = capture.capturedSeconds();
    Probe({"key", "0x1B", "shift"});
    ASSERT_TRUE(WaitUntil([] { return AllShow("paused"); }, 10));
    capture.waitUntilCaptured(fadeAt + 3.5);
    const Pcm pcm = capture.stop();

    const double before = TypicalLevelDb(pcm, fadeAt - 0.6, fadeAt - 0.1);
    ASSERT_GT(before, kSoundDb);
    const std::vector<double> levels = WindowLevelsDb(pcm, 100);
    double fadeStart = 0;
    for (size_t i = static_cast<size_t>(fadeAt / 0.1); i < levels.size() && fadeStart == 0; ++i)
        if (levels[i] < before - 1.0) fadeStart = i * 0.1;
    ASSERT_GT(fadeStart, 0.0) << "the sounds never got quieter";
    const auto end = LastTimeAbove(pcm, before - 60, 10);
    ASSERT_TRUE(end);
    EXPECT_NEAR(*end - fadeStart, 2.5, 0.4) << "25 ticks from full volume";
    const double a = TypicalLevelDb(pcm, fadeStart + 0.5, fadeStart + 0.7);
    const double b = TypicalLevelDb(pcm, fadeStart + 1.5, fadeStart + 1.7);
    EXPECT_NEAR(a - b, 20.0, 3.0) << "dB per second";
    for (int i = 0; i < 3; ++i) EXPECT_NE(ReadBoard().slots.at(i).position, 0) << "paused, not rewound";
}

TEST_F(AllSoundsTest, HotkeysFireWhileAnotherProgramHasTheFocusAndOneHeldElsewhereIsTold) {
    const auto holder = Hold({"hotkey", "2", "0x76"});  // Ctrl+F7
    ASSERT_TRUE(holder);
    StoreSchemeAndLeaveOthers();
    RunWindows("reg", {"add", kKey, "/v", "Hotkey2", "/d", "630", "/f"});
    board_ = StartWindows(ClangsterExe());
    ASSERT_TRUE(WaitForWindow("^Clangster$", *board_, 30)) << "a message at start-up";
    const std::string refused = "\r\nSlot 2 (T1): Ctrl+F7\r\n";  // printed in text mode
    EXPECT_NE(ProbeText({"dialog", "Clangster", "get", "65535"}).find(refused), std::string::npos) << "at start-up";
    PressDialogButton("Clangster", kIdOk);
    ASSERT_TRUE(WaitForWindow("^show - Clangster$", *board_, 30)) << "told more than once";

    // Ctrl+F5 for slot 1, Ctrl with the End key beside Enter to stop all, Ctrl+Shift+F6 to fade all
    // (with Ctrl+Alt, X turns the F keys into its own console keys).
    Probe({"command", std::to_string(ID_TOOLS_HOTKEYS)});
    for (const auto& [entry, value] : {std::pair{0, "628"}, {18, "2595"}, {19, "885"}})
        Probe({"dialog", "Hotkeys", "hotkey", std::to_string(IDC_HOTKEY_FIRST + entry), value});
    PressDialogButton("Hotkeys", kIdOk);
    EXPECT_NE(ProbeText({"dialog", "Clangster", "get", "65535"}).find(refused), std::string::npos) << "after OK";
    PressDialogButton("Clangster", kIdOk);

    // Keys reach Wine only while one of its windows has the X focus.
    const auto notepad = StartWindows("notepad");
    const auto window = WaitForWindow("Notepad", *notepad);
    ASSERT_TRUE(window);
    ASSERT_EQ(RunCommand({"xdotool", "windowfocus", "--sync", *window}).exitCode, 0);
    SinkCapture capture;
    ASSERT_TRUE(capture.start());
    auto press = [](const char* keys) { RunCommand({"xdotool", "key", keys}); };
    press("ctrl+F5");
    const auto played = capture.waitForSound(kSoundDb, 0);
    ASSERT_TRUE(played) << "the slot's hotkey";
    press("ctrl+End");
    ASSERT_TRUE(WaitUntil([] { return ReadBoard().slots.at(0).position == 0; }, 10)) << "Stop all, long before the end";
    EXPECT_TRUE(capture.waitForSilence(-60, *played, 0.5));
    press("ctrl+F5");
    const auto again = capture.waitForSound(kSoundDb, capture.capturedSeconds());
    ASSERT_TRUE(again);
    press("ctrl+shift+F6");
    ASSERT_TRUE(capture.waitForSilence(-60, *again, 0.5)) << "Fade all";
    EXPECT_NE(ReadBoard().slots.at(0).position, 0) << "paused, not rewound";
}

TEST_F(AllSoundsTest, TheOutputChosenInOptionsIsUsedKeptAndGivenUpWhenItIsGone) {
    ASSERT_NO_FATAL_FAILURE(AddSecondSink());
    StoreSchemeAndLeaveOthers();
    ASSERT_NO_FATAL_FAILURE(StartBoard());
    ASSERT_NO_FATAL_FAILURE(PlayThree());
    ASSERT_EQ(std::remove((dir_ + "/t1.wav").c_str()), 0);  // gone from the disk while it plays
    Probe({"command", std::to_string(kOptions)});
    const RunResult chosen = Probe({"dialog", "Options", "choose", std::to_string(kSoundOutputList), "SecondOutput"});
    ASSERT_EQ(chosen.exitCode, 0) << chosen.output;
    PressDialogButton("Options", kIdOk);
    {
        // Every sound went on, on the new output: the deleted one alone is heard there.
        ASSERT_TRUE(AllShow("playing"));
        Probe({"key", "0x31", "shift"});
        Probe({"key", "0x33", "shift"});
        ASSERT_TRUE(WaitUntil([] { return ReadBoard().slots.at(2).image == "idle"; }, 10));
        SinkCapture first, second(kSecondSink);
        std::string error;
        ASSERT_TRUE(first.start(&error) && second.start(&error)) << error;
        second.waitUntilCaptured(1.0);
        const Pcm there = second.stop(), here = first.stop();
        EXPECT_GT(TypicalLevelDb(there, 0.2, 0.9), kSoundDb);
        EXPECT_NEAR(DominantFrequency(there, 0.2, 0.9), 660, 5);
        EXPECT_LT(LevelDb(here, 0, here.seconds()), -60) << "sound left on the old output";
        Probe({"key", "0x1B"});
        ASSERT_TRUE(WaitUntil([] { return AllShow("idle"); }, 10));
    }
    const std::vector<std::string> args{ToWindowsPath(dir_ + "/show.scheme")};

    auto heardOnSecondOnly = [&](const char* when) {
        const auto [first, second] = PlayOnce();
        EXPECT_TRUE(FirstTimeAbove(second, kSoundDb)) << when << ": nothing on the chosen output";
        EXPECT_LT(LevelDb(first, 0, first.seconds()), -60) << when << ": sound on the default output";
    };
    heardOnSecondOnly("after OK");
    const RunResult stored = RunWindows("reg", {"query", kKey, "/v", "SoundOutput"});
    EXPECT_NE(stored.output.find("{"), std::string::npos) << stored.output;

    ASSERT_NO_FATAL_FAILURE(CloseBoard());
    ASSERT_NO_FATAL_FAILURE(StartBoard(args));
    heardOnSecondOnly("after a restart");

    {
        // The chosen sink goes while the looped T0 plays there: the sound goes on through the
        // default at once, and back on the chosen sink within 2 s of its return; told once each.
        SinkCapture fallback;
        std::string error;
        ASSERT_TRUE(fallback.start(&error)) << error;
        Probe({"key", "0x31"});
        ASSERT_TRUE(WaitUntil([] { return ReadBoard().slots.at(0).image == "playing"; }, 10));
        keeper_.reset();
        ASSERT_EQ(RunCommand({"pactl", "unload-module", sinkModule_}).exitCode, 0);
        sinkModule_.clear();
        const double lost = fallback.capturedSeconds();
        const auto moved = fallback.waitForSound(kSoundDb, lost, 10);
        ASSERT_TRUE(moved) << "not heard on the default after the loss";
        EXPECT_LT(*moved - lost, 2.0) << "heard on the default only " << *moved - lost << " s after the loss";
        const std::string gone = ProbeText({"dialog", "Clangster", "get", "65535"});
        EXPECT_EQ(gone.rfind("The sound output has gone.", 0), 0u) << gone;

        ASSERT_NO_FATAL_FAILURE(AddSecondSink());  // the same name and description
        // The sink's monitor delivers its first block a second or two late: the board's stream
        // joining the keeper's there is the moment; the capture makes sure it is the tone.
        const auto returned = std::chrono::steady_clock::now();
        ASSERT_TRUE(WaitUntil([] { return StreamsInto(kSecondSink) >= 2; }, 10, 0.01)) << "not back on its sink";
        const double back = std::chrono::duration<double>(std::chrono::steady_clock::now() - returned).count();
        EXPECT_LT(back, 2.0) << "back on its sink " << back << " s after its return";
        SinkCapture again(kSecondSink);
        ASSERT_TRUE(again.start(&error)) << error;
        const auto heard = again.waitForSound(kSoundDb, 0, 10);
        ASSERT_TRUE(heard) << "not heard on the sink that came back";
        again.waitUntilCaptured(*heard + 0.6);
        EXPECT_NEAR(DominantFrequency(again.snapshot(), *heard + 0.1, *heard + 0.5), 440, 5);
        EXPECT_TRUE(fallback.waitForSilence(-60, *moved, 0.5, -1000, 10)) << "still heard on the default";
        PressDialogButton("Clangster", kIdOk);
        EXPECT_EQ(ProbeText({"dialog", "Clangster", "get", "65535"}),
                  "The sound output is back: the sounds play there again.");
        PressDialogButton("Clangster", kIdOk);
        EXPECT_EQ(0, Probe({"gone", "Clangster"}).exitCode) << "told more than twice";
        Probe({"key", "0x31", "shift"});
        ASSERT_TRUE(WaitUntil([] { return ReadBoard().slots.at(0).image == "idle"; }, 10));
        const RunResult stored = RunWindows("reg", {"query", kKey, "/v", "SoundOutput"});
        EXPECT_NE(stored.output.find("{"), std::string::npos) << "the choice stays: " << stored.output;
    }

    ASSERT_NO_FATAL_FAILURE(CloseBoard());
    ASSERT_EQ(RunCommand({"pactl", "unload-module", sinkModule_}).exitCode, 0);
    sinkModule_.clear();
    ASSERT_NO_FATAL_FAILURE(StartBoard(args));  // no message: the board shows at once
    const auto [first, second] = PlayOnce();
    EXPECT_TRUE(FirstTimeAbove(first, kSoundDb)) << "the default output plays once the chosen one is gone";
}

// Two sinks: the default as the main output, the second as the monitor.
TEST_F(AllSoundsTest, AMonitorHearsEverySoundInStepOrOnlyWhatIsPrelistened) {
    ASSERT_NO_FATAL_FAILURE(AddSecondSink());
    StoreSchemeAndLeaveOthers();
    ASSERT_NO_FATAL_FAILURE(StartBoard());
    const auto options = [&](bool hearsAll) {
        Probe({"command", std::to_string(kOptions)});
        const RunResult chosen =
            Probe({"dialog", "Options", "choose", std::to_string(IDC_MONITOR_OUTPUT), "SecondOutput"});
        ASSERT_EQ(chosen.exitCode, 0) << chosen.output;
        Probe({"dialog", "Options", "check", std::to_string(IDC_MONITOR_ALL), hearsAll ? "1" : "0"});
        PressDialogButton("Options", kIdOk);
    };
    // Both sinks recorded from the same moment on, while `act` runs.
    const auto record = [&](const std::function<void()>& act, double seconds) {
        SinkCapture main, monitor(kSecondSink);
        std::string error;
        std::thread other([&] { EXPECT_TRUE(monitor.start(&error)) << error; });
        EXPECT_TRUE(main.start(&error)) << error;
        other.join();
        act();
        main.waitUntilCaptured(main.capturedSeconds() + seconds);
        monitor.waitUntilCaptured(monitor.capturedSeconds() + 0.2);
        return std::pair<Pcm, Pcm>{main.stop(), monitor.stop()};
    };
    const auto idle = [](int slot) {
        return WaitUntil([slot] { return ReadBoard().slots.at(slot).image == "idle"; }, 10);
    };

    ASSERT_NO_FATAL_FAILURE(options(true));
    {
        // Every sound fired is heard on both, starting together; a stop ends both.
        const auto [main, monitor] = record([] { Probe({"key", "0x32"}); }, 1.0);
        const auto onMain = FirstTimeAbove(main, kSoundDb), onMonitor = FirstTimeAbove(monitor, kSoundDb);
        ASSERT_TRUE(onMain && onMonitor) << "not heard on both";
        EXPECT_NEAR(DominantFrequency(monitor, *onMonitor + 0.1, *onMonitor + 0.5), 660, 5);
        EXPECT_LE(std::abs(*onMain - *onMonitor), 0.020) << "main at " << *onMain << " s, monitor at " << *onMonitor;
        const auto [mainAfter, monitorAfter] = record([] { Probe({"key", "0x32", "shift"}); }, 1.0);
        const auto quiet = [](const Pcm& pcm) { return LevelDb(pcm, pcm.seconds() - 0.5, pcm.seconds()); };
        EXPECT_LT(quiet(mainAfter), -60);
        EXPECT_LT(quiet(monitorAfter), -60) << "the stop ended the monitor's sound too";
        ASSERT_TRUE(idle(1));
    }
    ASSERT_NO_FATAL_FAILURE(options(false));
    {
        // Fired: the main output only. Pre-listened: the monitor only; a stop ends it.
        const auto [main, monitor] = record([] { Probe({"key", "0x32"}); }, 1.0);
        EXPECT_TRUE(FirstTimeAbove(main, kSoundDb));
        EXPECT_LT(LevelDb(monitor, 0, monitor.seconds()), -60) << "a fired sound on the monitor";
        Probe({"key", "0x32", "shift"});
        ASSERT_TRUE(idle(1));
        const auto [mainPre, monitorPre] = record([] { ChooseSlotMenuItem(2, 6); }, 1.5);
        const auto heard = FirstTimeAbove(monitorPre, kSoundDb);
        ASSERT_TRUE(heard) << "the pre-listen not heard on the monitor";
        EXPECT_NEAR(DominantFrequency(monitorPre, *heard + 0.1, *heard + 0.5), 990, 5);
        EXPECT_LT(LevelDb(mainPre, 0, mainPre.seconds()), -60) << "a pre-listen on the main output";
        const SlotState shown = ReadBoard().slots.at(2);
        EXPECT_EQ(shown.title.rfind("PRE-LISTEN T2", 0), 0u) << shown.title;
        EXPECT_EQ(shown.time.rfind("P00;0", 0), 0u) << shown.time;
        EXPECT_NE(shown.image, "playing");
        const auto [mainStop, monitorStop] = record([] { Probe({"key", "0x33", "shift"}); }, 1.0);
        EXPECT_LT(LevelDb(monitorStop, monitorStop.seconds() - 0.5, monitorStop.seconds()), -60) << "a stop ends it";
        EXPECT_EQ(ReadBoard().slots.at(2).title.rfind("T2", 0), 0u);
    }
}

// An hour of 16-bit stereo, one tone a minute: minute k at 200 + 20 k Hz.
void WriteHourOfSteps(const std::string& path) {
    constexpr std::uint32_t kMinute = 44100 * 60, kData = 60 * kMinute * 4;
    std::ofstream out(path, std::ios::binary);
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.put(static_cast<char>(v >> (8 * i)));
    };
    out << "RIFF";
    put(36 + kData, 4);
    out << "WAVEfmt ";
    for (const auto& [v, bytes] : {std::pair{16u, 4}, {1u, 2}, {2u, 2}, {44100u, 4}, {176400u, 4}, {4u, 2}, {16u, 2}})
        put(v, bytes);
    out << "data";
    put(kData, 4);
    std::vector<std::int16_t> minute(2 * kMinute);
    for (int k = 0; k < 60; ++k) {
        for (std::uint32_t f = 0; f < kMinute; ++f)
            minute[2 * f] = minute[2 * f + 1] =
                static_cast<std::int16_t>(1600 * std::sin(2 * M_PI * (200 + 20 * k) * f / 44100.0));
        out.write(reinterpret_cast<const char*>(minute.data()), static_cast<std::streamsize>(minute.size() * 2));
    }
}

// The level of minute `minute`'s tone from `from` to `to`: typical (the
// median of 50 ms windows), or the highest.
double StepToneDb(const Pcm& pcm, int minute, double from, double to, bool highest = false) {
    std::vector<double> levels = ToneLevelsDb(pcm.slice(from, to), 200 + 20 * minute, 50);
    if (levels.empty()) return kSilenceDb;
    if (highest) return *std::max_element(levels.begin(), levels.end());
    std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
    return levels[levels.size() / 2];
}

// 18 slots of the same hour-long sound (one file under 18 names), all named
// LONG; the last reads it through a folder that answers late on demand.
TEST_F(AllSoundsTest, HourLongSoundsStreamSeekToTheirLastMinuteAndPlayEighteenTogetherInLittleMemory) {
    WriteHourOfSteps(dir_ + "/long0.wav");
    SlowFolder slow;
    std::string error;
    ASSERT_TRUE(slow.mount(dir_, &error)) << error;
    std::ofstream scheme(dir_ + "/long.scheme", std::ios::binary);
    for (int i = 0; i < 18; ++i) {
        std::string file = dir_ + "/long" + std::to_string(i) + ".wav";
        if (i == 17) {
            file = slow.path("long0.wav");
        } else if (i) {
            ASSERT_EQ(link((dir_ + "/long0.wav").c_str(), file.c_str()), 0);
        }
        scheme << ToWindowsPath(file) << "|LONG|0.000000|0|0|0|\r\n";
    }
    scheme << "Colours=0,255,50,0,58,15\r\nCompact=0\r\n";
    scheme.close();
    // Started with the scheme of its last session, so that the stored mode holds: leave the others alone.
    RunWindows("reg", {"add", kKey, "/v", "LastFile", "/d", ToWindowsPath(dir_ + "/long.scheme"), "/f"});
    RunWindows("reg", {"add", kKey, "/v", "onplay", "/d", "0", "/f"});
    board_ = StartWindows(ClangsterExe());
    ASSERT_TRUE(board_ && WaitForWindow("^long - Clangster$", *board_, 60));
    EXPECT_TRUE(WaitUntil([] { return ReadBoard().slots.at(17).title.find("60;00") != std::string::npos; }, 20))
        << "the length of the whole hour";

    // Minute 0, then the slider let go at 984 of 1000: minute 59.
    SinkCapture capture;
    ASSERT_TRUE(capture.start(&error)) << error;
    Probe({"key", "0x31"});
    const auto first = capture.waitForSound(-50, 0);
    ASSERT_TRUE(first);
    ASSERT_TRUE(capture.waitUntilCaptured(*first + 0.5));
    ASSERT_EQ(Probe({"position", "0", "984"}).exitCode, 0);
    const double soughtBy = capture.capturedSeconds();
    ASSERT_TRUE(capture.waitUntilCaptured(soughtBy + 1.0));
    const Pcm pcm = capture.stop();
    EXPECT_NEAR(DominantFrequency(pcm, *first + 0.1, *first + 0.4), 200, 3);
    const double level = TypicalLevelDb(pcm, *first + 0.1, *first + 0.4);  // one slot's
    EXPECT_NEAR(DominantFrequency(pcm, soughtBy + 0.3, soughtBy + 0.9), 200 + 20 * 59, 5);
    EXPECT_EQ(ReadBoard().slots.at(0).time.substr(0, 4), " 59;");

    // All 18 at once, in about what one short sound held whole takes.
    Probe({"key", "0x1B"});
    ASSERT_TRUE(WaitUntil([] { return ReadBoard().slots.at(0).image == "idle"; }, 10));
    ASSERT_EQ(RunWindows(TriggerExe(), {"LONG"}).exitCode, 0);
    ASSERT_TRUE(WaitUntil([] {
        const BoardState board = ReadBoard();
        for (int i = 0; i < 18; ++i)
            if (board.slots.at(i).image != "playing") return false;
        return true;
    }, 20));
    const std::vector<pid_t> pids = BoardPids();
    ASSERT_EQ(pids.size(), 1u);
    const std::string status = ReadWholeFile("/proc/" + std::to_string(pids[0]) + "/status");
    const double rssMb = std::atof(status.c_str() + status.find("VmRSS:") + 6) / 1024;
    EXPECT_LT(rssMb, 300) << "11 GB of sound playing";

    // A file that stops answering silences its own sound alone. Slot 18's
    // file stalls; it is started at minute 30 and slot 1 at minute 0: slot 1
    // plays on past its head, from its own file, while slot 18 waits in
    // silence, and is heard at its place once its file answers again.
    auto idle = [](int i) { return [i] { return ReadBoard().slots.at(i).image == "idle"; }; };
    Probe({"key", "0x1B"});
    ASSERT_TRUE(WaitUntil(idle(17), 10));
    slow.hold("long0.wav");
    ASSERT_EQ(Probe({"position", "17", "500"}).exitCode, 0);
    SinkCapture stalled;
    ASSERT_TRUE(stalled.start(&error)) << error;
    Probe({"key", "0x4F"});
    Probe({"key", "0x31"});
    const auto heard = stalled.waitForSound(-50, 0);
    ASSERT_TRUE(heard);
    ASSERT_TRUE(stalled.waitUntilCaptured(*heard + 8.0)) << "past slot 1's head and ring";
    slow.release("long0.wav");
    const double released = stalled.capturedSeconds();
    ASSERT_TRUE(stalled.waitUntilCaptured(released + 3.0));
    const Pcm both = stalled.stop();
    EXPECT_FALSE(FirstSilence(both.slice(*heard + 0.1, released), level - 20, 0.3)) << "slot 1 while slot 18 stalled";
    EXPECT_GT(StepToneDb(both, 0, *heard + 0.1, released), level - 6) << "slot 1 at its place";
    EXPECT_LT(StepToneDb(both, 30, *heard + 0.1, released - 0.2, true), level - 30) << "slot 18 while it stalled";
    EXPECT_GT(StepToneDb(both, 30, released + 2.0, released + 3.0), level - 6) << "slot 18 once its file answered";

    // The share goes away under slot 18: it stops and the board says so,
    // once. Back again, the file is opened again by its path at the next Play.
    slow.drop();
    ASSERT_TRUE(WaitForWindow("^Clangster$", *board_, 30)) << "the lost file not told";
    EXPECT_NE(ProbeText({"dialog", "Clangster", "get", "65535"}).find("could not be read any more"), std::string::npos);
    PressDialogButton("Clangster", kIdOk);
    ASSERT_TRUE(WaitUntil(idle(17), 10));
    ASSERT_TRUE(slow.mount(dir_, &error)) << error;
    ASSERT_EQ(Probe({"position", "17", "500"}).exitCode, 0);
    Probe({"key", "0x31", "shift"});
    ASSERT_TRUE(WaitUntil(idle(0), 10));
    SinkCapture again;
    ASSERT_TRUE(again.start(&error)) << error;
    Probe({"key", "0x4F"});
    const auto back = again.waitForSound(-50, 0);
    ASSERT_TRUE(back);
    ASSERT_TRUE(again.waitUntilCaptured(*back + 6.0)) << "past slot 18's read-ahead";
    const Pcm reopened = again.stop();
    EXPECT_FALSE(FirstSilence(reopened.slice(*back, *back + 6.0), level - 20, 0.3));
    EXPECT_GT(StepToneDb(reopened, 30, *back, *back + 6.0), level - 6);
    EXPECT_FALSE(WaitForWindow("^Clangster$", 0)) << "told more than once";
    EXPECT_TRUE(board_->running());
}

}  // namespace
}  // namespace e2e
