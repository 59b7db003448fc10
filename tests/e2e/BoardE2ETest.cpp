// The real Clangster.exe under Wine: started with a scheme, fired by the
// trigger tool and by keys, watched through its controls and the screen,
// and heard through the null sink's monitor.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>

#include "Harness.h"

namespace e2e {
namespace {

constexpr double kSoundDb = -30;  // anything louder than this is "playing"

// A canonical 16-bit stereo 44.1 kHz WAV of a sine (amplitude 0 gives silence).
void WriteTone(const std::string& path, double seconds, double hz, double amplitude = 0.5) {
    const auto frames = static_cast<uint32_t>(seconds * 44100);
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + frames * 4);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(2);
    u32(44100);
    u32(44100 * 4);
    u16(4);
    u16(16);
    out.write("data", 4);
    u32(frames * 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(amplitude * 32767 * std::sin(2 * M_PI * hz * i / 44100));
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v));
    }
}

struct SlotState {
    std::string title, time, tenths, caption, image;
    int position = -1, volume = -1;
};

class BoardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InTestEnvironment()) << "run through scripts/with-test-env.sh";
        char pattern[] = "/tmp/clangster-e2e-board-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        WriteTone(dir_ + "/tone.wav", 3.0, 440);
        WriteTone(dir_ + "/beep.wav", 1.0, 880);
        WriteTone(dir_ + "/long.wav", 8.0, 1000);
        WriteTone(dir_ + "/silence.wav", 3.0, 0, 0);
        WriteTone(dir_ + "/short.wav", 0.5, 660);
        std::ofstream scheme(dir_ + "/show.scheme", std::ios::binary);
        auto line = [&](const std::string& file, const std::string& name, int loop) {
            scheme << ToWindowsPath(dir_ + "/" + file) << "|" << name << "|0.000000|0|0|" << loop << "|\r\n";
        };
        line("tone.wav", "TONE A", 0);
        line("beep.wav", "BEEP", 1);
        line("long.wav", "LONG", 0);
        line("short.wav", "", 0);  // named from its file: SHORT
        line("silence.wav", "SILENCE", 0);
        for (int i = 5; i < 18; ++i) scheme << "||||\r\n";
        scheme << "Colours=0,255,50,0,58,15\r\nCompact=0\r\n";
    }

    void TearDown() override {
        if (board_) board_->kill();
        RunCommand({"rm", "-rf", dir_});
    }

    // Starts recording the sink; the test reads it back with capture_.stop().
    void Listen() {
        std::string error;
        ASSERT_TRUE(capture_.start(&error)) << error;
    }

    void StartBoard() {
        board_ = StartWindows(ClangsterExe(), {ToWindowsPath(dir_ + "/show.scheme")});
        ASSERT_TRUE(board_);
        ASSERT_TRUE(WaitForWindow("^show - Clangster$", 30)) << board_->output();
        // Let the first paint and the scheme load settle.
        usleep(500 * 1000);
    }

    RunResult Probe(const std::vector<std::string>& args) {
        return RunWindows(WinBuildDir() + "/tests/probe/board-probe.exe", args, 30);
    }

    std::map<int, SlotState> State() {
        std::map<int, SlotState> slots;
        const RunResult r = Probe({"state"});
        std::istringstream lines(r.output);
        std::string text;
        while (std::getline(lines, text)) {
            if (text.rfind("slot=", 0) != 0) continue;
            std::map<std::string, std::string> fields;
            std::istringstream parts(text);
            std::string part;
            while (std::getline(parts, part, '|')) {
                const auto eq = part.find('=');
                if (eq != std::string::npos) fields[part.substr(0, eq)] = part.substr(eq + 1);
            }
            SlotState s{fields["title"], fields["time"], fields["tenths"], fields["caption"], fields["image"],
                        std::stoi(fields["position"]), std::stoi(fields["volume"])};
            slots[std::stoi(fields["slot"])] = s;
        }
        return slots;
    }

    void Trigger(const std::string& name) {
        const RunResult r = RunWindows(TriggerExe(), {name}, 30);
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }

    void Key(const std::string& vk, bool shift = false) {
        std::vector<std::string> args{"key", vk};
        if (shift) args.push_back("shift");
        ASSERT_EQ(Probe(args).exitCode, 0);
    }

    // The stretches of sound in a capture: (start, end) pairs in seconds.
    static std::vector<std::pair<double, double>> Bursts(const Pcm& pcm, double gap = 0.25) {
        std::vector<std::pair<double, double>> bursts;
        const std::vector<double> levels = WindowLevelsDb(pcm, 10);
        for (size_t i = 0; i < levels.size(); ++i) {
            if (levels[i] < kSoundDb) continue;
            const double t = i * 0.01;
            if (!bursts.empty() && t - bursts.back().second <= gap)
                bursts.back().second = t + 0.01;
            else
                bursts.push_back({t, t + 0.01});
        }
        return bursts;
    }

    std::string dir_;
    std::unique_ptr<Process> board_;
    SinkCapture capture_;
};

TEST_F(BoardTest, ASchemeOnTheCommandLineLoadsIntoTheSlots) {
    StartBoard();
    auto slots = State();
    ASSERT_EQ(slots.size(), 18u);
    EXPECT_EQ(slots[0].title, "TONE A              00;03");
    EXPECT_EQ(slots[1].caption, "Loop");
    EXPECT_EQ(slots[3].title, "SHORT               00;00");
    EXPECT_EQ(slots[5].title, std::string(25, ' '));
    for (int i : {0, 1, 2, 3}) {
        EXPECT_EQ(slots[i].image, "idle") << "slot " << i;
        EXPECT_EQ(slots[i].time, "      ") << "slot " << i;
    }
}

TEST_F(BoardTest, TheTriggerToolPlaysASlotByItsNameInAnyCase) {
    StartBoard();
    ASSERT_NO_FATAL_FAILURE(Listen());
    const double firedAt = capture_.secondsNow();
    Trigger("tone a");
    usleep(1500 * 1000);
    auto slots = State();
    const Pcm pcm = capture_.stop();

    const auto start = FirstTimeAbove(pcm, kSoundDb);
    ASSERT_TRUE(start) << "nothing heard";
    EXPECT_GT(*start, firedAt - 0.05);
    EXPECT_NEAR(DominantFrequency(pcm, *start + 0.1, *start + 0.6), 440, 5);
    EXPECT_EQ(slots[0].image, "playing");
    EXPECT_EQ(slots[0].time.substr(0, 4), " 00;");
    EXPECT_GT(slots[0].position, 0);
}

TEST_F(BoardTest, ASlotKeyStartsPausesAndResumesWhereItStopped) {
    StartBoard();
    ASSERT_NO_FATAL_FAILURE(Listen());
    Key("0x31");  // slot 0: 3 s of 440 Hz
    usleep(800 * 1000);
    Key("0x31");
    usleep(300 * 1000);
    const SlotState paused = State()[0];
    usleep(700 * 1000);
    Key("0x31");
    usleep(3500 * 1000);
    const Pcm pcm = capture_.stop();

    EXPECT_EQ(paused.image, "paused");
    const auto bursts = Bursts(pcm);
    ASSERT_EQ(bursts.size(), 2u) << "expected sound, a pause, then the rest of the sound";
    const double first = bursts[0].second - bursts[0].first;
    const double second = bursts[1].second - bursts[1].first;
    EXPECT_GT(bursts[1].first - bursts[0].second, 0.5) << "the pause was not silent";
    // The second stretch is the rest of the sound, not the sound again.
    EXPECT_NEAR(first + second, 3.0, 0.3);
    EXPECT_EQ(State()[0].image, "idle");
}

TEST_F(BoardTest, ShiftWithASlotKeyStopsAndRewinds) {
    StartBoard();
    ASSERT_NO_FATAL_FAILURE(Listen());
    Key("0x31");
    usleep(1000 * 1000);
    Key("0x31", true);
    usleep(600 * 1000);
    const SlotState stopped = State()[0];
    Key("0x31");
    usleep(3600 * 1000);
    const Pcm pcm = capture_.stop();

    EXPECT_EQ(stopped.image, "idle");
    EXPECT_EQ(stopped.time, "      ");
    EXPECT_EQ(stopped.position, 0);
    const auto bursts = Bursts(pcm);
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_NEAR(bursts[1].second - bursts[1].first, 3.0, 0.2) << "did not start again from the beginning";
}

TEST_F(BoardTest, StartingASecondSoundFadesTheFirstOutByTwoDecibelsATick) {
    StartBoard();  // a scheme from the command line leaves the fade mode on
    ASSERT_NO_FATAL_FAILURE(Listen());
    Trigger("LONG");
    usleep(1200 * 1000);
    const double fadeAt = capture_.secondsNow();
    Trigger("SILENCE");
    usleep(3500 * 1000);
    const SlotState faded = State()[2];
    const Pcm pcm = capture_.stop();

    const double before = TypicalLevelDb(pcm, fadeAt - 0.6, fadeAt - 0.1);
    const auto end = LastTimeAbove(pcm, before - 60, 10);
    ASSERT_TRUE(end);
    // About 25 ticks of 100 ms from the trigger to the pause.
    const auto fadeStart = [&] {
        const std::vector<double> levels = WindowLevelsDb(pcm, 100);
        for (size_t i = static_cast<size_t>(fadeAt / 0.1); i < levels.size(); ++i)
            if (levels[i] < before - 1.0) return i * 0.1;
        return 0.0;
    }();
    ASSERT_GT(fadeStart, 0.0) << "the first sound never got quieter";
    const double length = *end - fadeStart;
    EXPECT_NEAR(length, 2.5, 0.4) << "fade length";
    // Slope measured over the middle of the fade: 2 dB per 100 ms.
    const double a = TypicalLevelDb(pcm, fadeStart + 0.5, fadeStart + 0.7);
    const double b = TypicalLevelDb(pcm, fadeStart + 1.5, fadeStart + 1.7);
    EXPECT_NEAR((a - b) / 1.0, 20.0, 3.0) << "dB per second";
    EXPECT_EQ(faded.image, "paused");
    RecordProperty("measured_fade_seconds", std::to_string(length));
    std::printf("measured fade: %.2f s, %.1f dB/s\n", length, (a - b));
}

TEST_F(BoardTest, ALoopingSoundKeepsPlayingPastItsEnd) {
    StartBoard();
    ASSERT_NO_FATAL_FAILURE(Listen());
    Trigger("beep");  // 1 s, looping
    usleep(2800 * 1000);
    const SlotState looping = State()[1];
    const Pcm pcm = capture_.stop();

    const auto start = FirstTimeAbove(pcm, kSoundDb);
    ASSERT_TRUE(start);
    EXPECT_GT(TypicalLevelDb(pcm, *start + 1.2, *start + 2.2), kSoundDb);
    EXPECT_EQ(looping.image, "playing");
}

TEST_F(BoardTest, ASoundThatEndsReturnsItsSlotToIdle) {
    StartBoard();
    Trigger("short");
    usleep(1800 * 1000);
    const SlotState ended = State()[3];
    EXPECT_EQ(ended.image, "idle");
    EXPECT_EQ(ended.time, "      ");
    EXPECT_EQ(ended.tenths, "  ");
    EXPECT_EQ(ended.position, 0);
}

TEST_F(BoardTest, APressOnThePlayButtonsMenuZoneOpensTheSlotMenuAndNeitherPlaysNorPauses) {
    StartBoard();
    const RunResult rect = Probe({"rect", "1000"});  // slot 0's Play button
    std::istringstream in(rect.output);
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(in >> x >> y >> width >> height) << rect.output;
    ASSERT_NO_FATAL_FAILURE(Listen());
    ASSERT_EQ(Probe({"click", "1000", std::to_string(width - 5)}).exitCode, 0);
    ASSERT_EQ(Probe({"dismiss"}).exitCode, 0) << "no slot menu opened";
    const SlotState afterMenuZone = State()[0];
    const double playAt = capture_.secondsNow();
    ASSERT_EQ(Probe({"click", "1000", std::to_string(width - 30)}).exitCode, 0);
    usleep(800 * 1000);
    const Pcm pcm = capture_.stop();

    EXPECT_EQ(afterMenuZone.image, "idle");
    const auto start = FirstTimeAbove(pcm, kSoundDb);
    ASSERT_TRUE(start) << "a press left of the menu zone did not play";
    EXPECT_GT(*start, playAt - 0.1) << "the menu-zone press played";
}

TEST_F(BoardTest, TheVolumeFollowsItsSliderAndThePositionMovesOnRelease) {
    StartBoard();
    ASSERT_NO_FATAL_FAILURE(Listen());
    Trigger("LONG");  // 8 s of 1 kHz
    usleep(700 * 1000);
    const double fullAt = capture_.secondsNow();
    ASSERT_EQ(Probe({"volume", "2", "4000"}).exitCode, 0);  // -20 dB
    usleep(700 * 1000);
    const double quietAt = capture_.secondsNow();
    ASSERT_EQ(Probe({"position", "2", "750"}).exitCode, 0);  // 6 s into the sound
    const SlotState moved = State()[2];
    usleep(300 * 1000);
    const Pcm pcm = capture_.stop();

    const double drop = TypicalLevelDb(pcm, fullAt - 0.4, fullAt - 0.1) - TypicalLevelDb(pcm, quietAt - 0.4, quietAt - 0.1);
    EXPECT_NEAR(drop, 20.0, 1.5);
    EXPECT_EQ(moved.time.substr(0, 5), " 00;0");
    EXPECT_GE(std::stoi(moved.time.substr(4, 2)), 6) << moved.time;
    EXPECT_EQ(moved.volume, 4000);
}

// Real mouse drags through the X server, as a hand would make them.
TEST_F(BoardTest, DraggingTheSlidersWithTheMouseSetsVolumeAndPosition) {
    StartBoard();
    auto rectOf = [&](const std::string& id) {
        const RunResult r = Probe({"rect", id});
        std::istringstream in(r.output);
        std::array<int, 4> rect{};
        in >> rect[0] >> rect[1] >> rect[2] >> rect[3];
        return rect;
    };
    auto drag = [&](int x0, int y0, int x1, int y1) {
        RunCommand({"xdotool", "mousemove", std::to_string(x0), std::to_string(y0), "mousedown", "1"});
        for (int step = 1; step <= 5; ++step)
            RunCommand({"xdotool", "mousemove", std::to_string(x0 + (x1 - x0) * step / 5),
                        std::to_string(y0 + (y1 - y0) * step / 5)});
        RunCommand({"xdotool", "mouseup", "1"});
        usleep(300 * 1000);
    };
    ASSERT_NO_FATAL_FAILURE(Listen());
    Trigger("LONG");
    usleep(600 * 1000);
    const double fullAt = capture_.secondsNow();

    const auto volume = rectOf("1111");  // slot 2's volume slider: thumb at the top, 13 px down
    ASSERT_GT(volume[3], 0);
    drag(volume[0] + 5, volume[1] + 13, volume[0] + 5, volume[1] + volume[3] / 2);
    usleep(400 * 1000);
    const double quietAt = capture_.secondsNow();
    const SlotState dragged = State()[2];

    // Paused, so that the thumb holds still under the pointer.
    Key("0x33");
    const SlotState paused = State()[2];
    const auto position = rectOf("1110");  // slot 2's position slider
    const int thumbX = position[0] + 13 + (position[2] - 27) * paused.position / 1000;
    drag(thumbX, position[1] + 4, position[0] + 13 + (position[2] - 27) * 3 / 4, position[1] + 4);
    const SlotState moved = State()[2];
    const Pcm pcm = capture_.stop();

    EXPECT_GT(dragged.volume, 3000);
    EXPECT_LT(dragged.volume, 7000);
    const double drop = TypicalLevelDb(pcm, fullAt - 0.4, fullAt - 0.1) - TypicalLevelDb(pcm, quietAt - 0.3, quietAt);
    EXPECT_NEAR(drop, dragged.volume / 200.0, 2.0) << "volume " << dragged.volume;
    EXPECT_GE(std::stoi(moved.time.substr(4, 2)), 5) << moved.time;
    EXPECT_EQ(moved.image, "paused") << "letting the thumb go keeps a paused sound paused";
}

TEST_F(BoardTest, AClickOnTheTimeDisplaySwitchesToTheTimeRemaining) {
    StartBoard();
    Trigger("LONG");  // 8 s
    usleep(500 * 1000);
    ASSERT_EQ(Probe({"click", "1075", "10"}).exitCode, 0);  // slot 2's time display
    usleep(300 * 1000);
    const SlotState counting = State()[2];
    EXPECT_EQ(counting.time.substr(0, 5), "-00;0") << counting.time;
    EXPECT_GE(std::stoi(counting.time.substr(4, 2)), 5) << counting.time;
}

TEST_F(BoardTest, CtrlShowsTheKeyLabelsWhileHeld) {
    StartBoard();
    ASSERT_EQ(Probe({"keydown", "0x11"}).exitCode, 0);
    auto held = State();
    ASSERT_EQ(Probe({"keyup", "0x11"}).exitCode, 0);
    auto released = State();
    EXPECT_EQ(held[0].title, "TONE A                1  ");
    EXPECT_EQ(held[9].title, std::string(19, ' ') + "   q  ");
    EXPECT_EQ(released[0].title, "TONE A              00;03");
    EXPECT_EQ(released[9].title, std::string(25, ' '));
}

TEST_F(BoardTest, MalformedRemoteTriggersNeitherCrashNorPlay) {
    StartBoard();
    ASSERT_NO_FATAL_FAILURE(Listen());
    EXPECT_EQ(Probe({"copydata", "-null", "12"}).output.find("result=0") != std::string::npos, true);
    // "LONG" then garbage, with a size that cuts the name at "LON".
    EXPECT_EQ(Probe({"copydata", "4c4f4e47ffff", "3"}).exitCode, 0);
    usleep(800 * 1000);
    const Pcm pcm = capture_.stop();
    EXPECT_TRUE(board_->running());
    EXPECT_FALSE(FirstTimeAbove(pcm, kSoundDb)) << "a slot played on a name that matches none";
}

TEST_F(BoardTest, ClosingTheWindowStopsEverySoundAndStoresTheSettings) {
    StartBoard();
    Trigger("BEEP");
    usleep(500 * 1000);
    ASSERT_NO_FATAL_FAILURE(Listen());
    ASSERT_EQ(Probe({"close"}).exitCode, 0);
    const auto exit = board_->wait(20);
    usleep(500 * 1000);
    const double closedBy = capture_.secondsNow();
    usleep(500 * 1000);
    const Pcm pcm = capture_.stop();
    ASSERT_TRUE(exit) << "the board did not close";
    EXPECT_EQ(*exit, 0);
    EXPECT_LT(LevelDb(pcm, closedBy, pcm.seconds()), -60) << "sound went on after closing";

    const RunResult reg = RunCommand({"wine", "reg", "query", "HKCU\\Software\\Marrowick\\Clangster"}, 60);
    EXPECT_NE(reg.output.find("onplay"), std::string::npos) << reg.output;
    EXPECT_NE(reg.output.find("show.scheme"), std::string::npos) << reg.output;
}

}  // namespace
}  // namespace e2e
