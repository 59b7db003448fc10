// The real Clangster.exe under Wine: started with a scheme, fired by the
// trigger tool, by keys and by OSC, watched through its controls, the screen
// and its OSC feedback, and heard through the null sink's monitor.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "../common/RiffWav.h"
#include "BoardDriver.h"
#include "Udp.h"
#include "resource.h"

namespace e2e {
namespace {

constexpr double kSoundDb = -30;  // anything louder than this is "playing"

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
        if (board_ && HasFailure()) std::cerr << "board: " << board_->endReport() << "\n";
        if (board_) board_->kill();
        RunCommand({"rm", "-rf", dir_});
    }

    // Starts recording the sink; the test reads it back with capture_.stop().
    void Listen() {
        std::string error;
        ASSERT_TRUE(capture_.start(&error)) << error;
    }

    void StartBoard(const std::string& scheme = "show") {
        board_ = StartWindows(ClangsterExe(), {ToWindowsPath(dir_ + "/" + scheme + ".scheme")});
        ASSERT_TRUE(board_);
        ASSERT_TRUE(WaitForWindow("^" + scheme + " - Clangster$", *board_, 60)) << board_->output();
        // The title is set once the scheme is read; the slots answer once it is painted.
        ASSERT_TRUE(WaitUntil([&] { return State().size() == 18u; })) << "the board's slots never answered";
    }

    static std::map<int, SlotState> State() { return ReadBoard().slots; }

    void Trigger(const std::string& name) {
        const RunResult r = RunWindows(TriggerExe(), {name}, 30);
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }

    void Key(const std::string& vk, bool shift = false) {
        std::vector<std::string> args{"key", vk};
        if (shift) args.push_back("shift");
        ASSERT_EQ(Probe(args).exitCode, 0);
    }

    // Polls the slot's state until `wanted` holds; the last state read either way.
    SlotState WaitForSlot(int slot, const std::function<bool(const SlotState&)>& wanted, const char* what) {
        SlotState last;
        if (!WaitUntil([&] { return wanted(last = State()[slot]); }))
            ADD_FAILURE() << "slot " << slot << " never became " << what << "; image " << last.image << ", time ["
                          << last.time << "]"
                          << (board_ && !board_->running() ? "; the board exited: " + board_->output() : "");
        return last;
    }
    static bool Idle(const SlotState& s) { return s.image == "idle"; }
    static bool Playing(const SlotState& s) { return s.image == "playing"; }
    static bool Paused(const SlotState& s) { return s.image == "paused"; }

    // The start of the next sound heard from `from` on; fails the test when none comes.
    double NextSound(double from) {
        const auto start = capture_.waitForSound(kSoundDb, from);
        EXPECT_TRUE(start) << "no sound after " << from << " s";
        return start.value_or(from);
    }
    // The start of the silence after a sound heard from `from` on.
    double SilenceAfter(double from, double length = 0.5) {
        const auto quiet = capture_.waitForSilence(kSoundDb, from, length);
        EXPECT_TRUE(quiet) << "the sound did not end after " << from << " s";
        return quiet.value_or(from);
    }

    // The sound between two capture times, without the gaps a starved mixer leaves.
    static Pcm Heard(const Pcm& pcm, double from, double to) { return WithoutGaps(pcm.slice(from, to)); }
    // The median level of that sound.
    static double HeardLevel(const Pcm& pcm, double from, double to) {
        const Pcm heard = Heard(pcm, from, to);
        return TypicalLevelDb(heard, 0, heard.seconds());
    }

    // The levels a sound holds for 30 ms or more, in order: the steps of a fade.
    static std::vector<double> Plateaus(const Pcm& pcm, double from, double to) {
        std::vector<double> plateaus;
        const std::vector<double> levels = WindowLevelsDb(pcm.slice(from, to), 10);
        size_t first = 0;
        for (size_t i = 1; i <= levels.size(); ++i) {
            if (i < levels.size() && std::fabs(levels[i] - levels[first]) < 0.6) continue;
            if (i - first >= 3 && levels[first] > kSilenceDb + 1) {
                std::vector<double> run(levels.begin() + first, levels.begin() + i);
                std::sort(run.begin(), run.end());
                plateaus.push_back(run[run.size() / 2]);
            }
            first = i;
        }
        return plateaus;
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
    const double firedAt = capture_.capturedSeconds();
    Trigger("tone a");
    const SlotState playing = WaitForSlot(0, [](const SlotState& s) { return Playing(s) && s.position > 0; }, "playing");
    const double start = NextSound(firedAt);
    capture_.waitUntilCaptured(start + 0.7);
    const Pcm pcm = capture_.stop();

    EXPECT_GT(start, firedAt - 0.05);
    EXPECT_NEAR(DominantFrequency(Heard(pcm, start + 0.1, start + 0.6), 0, 0.5), 440, 5);
    EXPECT_EQ(playing.time.substr(0, 4), " 00;");
}

TEST_F(BoardTest, ASlotKeyStartsPausesAndResumesWhereItStopped) {
    StartBoard();
    ASSERT_NO_FATAL_FAILURE(Listen());
    Key("0x31");  // slot 0: 3 s of 440 Hz
    const double start = NextSound(0);
    capture_.waitUntilCaptured(start + 0.8);
    Key("0x31");
    WaitForSlot(0, Paused, "paused");
    const double pause = SilenceAfter(start, 0.7);
    Key("0x31");
    const double resume = NextSound(pause);
    const double end = SilenceAfter(resume, 1.0);
    const Pcm pcm = capture_.stop();

    // How long each stretch sounded, without the gaps a late mixer leaves. A
    // starved mixer also drops or repeats a few blocks, hence the margin; the
    // sound again from its start would add 0.8 s.
    const double first = SecondsAbove(Heard(pcm, start, pause), kSoundDb);
    const double second = SecondsAbove(Heard(pcm, resume, end), kSoundDb);
    EXPECT_GT(first, 0.6);
    EXPECT_NEAR(first + second, 3.0, 0.4) << "the second stretch is not the rest of the sound";
    WaitForSlot(0, Idle, "idle at the end");
}

TEST_F(BoardTest, ShiftWithASlotKeyStopsAndRewinds) {
    StartBoard();
    ASSERT_NO_FATAL_FAILURE(Listen());
    Key("0x31");
    const double first = NextSound(0);
    capture_.waitUntilCaptured(first + 1.0);
    Key("0x31", true);
    const SlotState stopped = WaitForSlot(0, Idle, "stopped");
    const double silence = SilenceAfter(first);
    Key("0x31");
    const double restart = NextSound(silence);
    const double end = SilenceAfter(restart, 1.0);
    const Pcm pcm = capture_.stop();

    EXPECT_EQ(stopped.time, "      ");
    EXPECT_EQ(stopped.position, 0);
    // The whole 3 s, not the 2 s left (margin for a starved mixer's dropped or repeated blocks).
    EXPECT_NEAR(SecondsAbove(Heard(pcm, restart, end), kSoundDb), 3.0, 0.4) << "did not start again from the beginning";
}

TEST_F(BoardTest, StartingASecondSoundFadesTheFirstOutByTwoDecibelsATick) {
    StartBoard();  // a scheme from the command line leaves the fade mode on
    ASSERT_NO_FATAL_FAILURE(Listen());
    Trigger("LONG");
    capture_.waitUntilCaptured(NextSound(0) + 1.2);
    const double fadeAt = capture_.capturedSeconds();
    Trigger("SILENCE");
    const SlotState faded = WaitForSlot(2, Paused, "paused by the fade");
    capture_.waitForSilence(-100, capture_.capturedSeconds(), 0.3);
    const Pcm pcm = capture_.stop();

    // The fade is counted in its steps, not timed: a busy machine makes the
    // 100 ms ticks late, but every tick still lowers the sound by 2 dB.
    const double before = HeardLevel(pcm, fadeAt - 0.6, fadeAt - 0.1);
    const Pcm heard = Heard(pcm, fadeAt - 0.6, pcm.seconds());
    const std::vector<double> steps = Plateaus(heard, 0, heard.seconds());
    // A step can hide when two ticks come close together, or show twice when
    // a starved mixer splits it, so the typical step is what is measured.
    std::vector<double> drops;
    for (size_t i = 1; i < steps.size(); ++i)
        if (std::fabs(steps[i - 1] - steps[i]) >= 0.5) drops.push_back(steps[i - 1] - steps[i]);
    ASSERT_GE(drops.size(), 12u) << "the first sound did not fade in steps";
    std::vector<double> sorted = drops;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_NEAR(sorted[sorted.size() / 2], 2.0, 0.3) << "dB per step";
    // From full volume down by 2 dB a tick until the next step would reach -50 dB.
    EXPECT_NEAR(before - steps.back(), 48.0, 3.0) << "level of the last step";
    EXPECT_EQ(faded.time.substr(0, 4), " 00;");
    std::printf("measured fade: %zu steps, median %.2f dB a step\n", drops.size(), sorted[sorted.size() / 2]);
}

TEST_F(BoardTest, ALoopingSoundKeepsPlayingPastItsEnd) {
    StartBoard();
    ASSERT_NO_FATAL_FAILURE(Listen());
    Trigger("beep");  // 1 s, looping
    const double start = NextSound(0);
    capture_.waitUntilCaptured(start + 2.4);
    const Pcm pcm = capture_.stop();

    EXPECT_GT(HeardLevel(pcm, start + 1.2, start + 2.2), kSoundDb);
    EXPECT_EQ(State()[1].image, "playing");
}

TEST_F(BoardTest, ASoundThatEndsReturnsItsSlotToIdle) {
    StartBoard();
    ASSERT_NO_FATAL_FAILURE(Listen());
    Trigger("short");
    SilenceAfter(NextSound(0));
    const SlotState ended = WaitForSlot(3, [](const SlotState& s) { return Idle(s) && s.time == "      "; }, "idle");
    capture_.stop();
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
    const double pressAt = capture_.capturedSeconds();
    ASSERT_EQ(Probe({"click", "1000", std::to_string(width - 5)}).exitCode, 0);
    ASSERT_EQ(Probe({"dismiss"}).exitCode, 0) << "no slot menu opened";
    // Half a second of sound time after the press was handled is long enough for a start to be heard.
    const SlotState afterMenuZone = State()[0];
    capture_.waitUntilCaptured(capture_.capturedSeconds() + 0.5);
    const double playAt = capture_.capturedSeconds();
    ASSERT_EQ(Probe({"click", "1000", std::to_string(width - 30)}).exitCode, 0);
    const double start = NextSound(pressAt);
    const Pcm pcm = capture_.stop();

    EXPECT_EQ(afterMenuZone.image, "idle");
    EXPECT_GT(start, playAt - 0.1) << "the menu-zone press played";
}

TEST_F(BoardTest, TheVolumeFollowsItsSliderAndThePositionMovesOnRelease) {
    StartBoard();
    ASSERT_NO_FATAL_FAILURE(Listen());
    Trigger("LONG");  // 8 s of 1 kHz
    const double start = NextSound(0);
    capture_.waitUntilCaptured(start + 0.5);
    const double fullAt = capture_.capturedSeconds();
    ASSERT_EQ(Probe({"volume", "2", "4000"}).exitCode, 0);  // -20 dB
    // The lower level is measured once the capture shows it.
    // Quieter by 10 dB or more, and not a gap of digital silence.
    const auto quietFrom = capture_.waitForSilence(HeardLevel(capture_.snapshot(), start, fullAt) - 10, fullAt, 0.3, kSilenceDb + 1);
    ASSERT_TRUE(quietFrom) << "the level did not drop";
    ASSERT_EQ(Probe({"position", "2", "750"}).exitCode, 0);  // 6 s into the sound
    const SlotState moved = WaitForSlot(2, [](const SlotState& s) { return s.time >= " 00;06"; }, "moved to 6 s");
    const Pcm pcm = capture_.stop();

    const double drop = HeardLevel(pcm, start + 0.1, fullAt) - HeardLevel(pcm, *quietFrom, *quietFrom + 0.3);
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
    };
    ASSERT_NO_FATAL_FAILURE(Listen());
    Trigger("LONG");
    const double start = NextSound(0);
    capture_.waitUntilCaptured(start + 0.5);
    const double fullAt = capture_.capturedSeconds();

    const auto volume = rectOf("1111");  // slot 2's volume slider: thumb at the top, 13 px down
    ASSERT_GT(volume[3], 0);
    drag(volume[0] + 5, volume[1] + 13, volume[0] + 5, volume[1] + volume[3] / 2);
    SlotState before;
    const SlotState dragged = WaitForSlot(2, [&before](const SlotState& s) {
        const bool settled = s.volume > 0 && s.volume == before.volume;
        before = s;
        return settled;
    }, "quieter");
    // Quieter by 10 dB or more, and not a gap of digital silence.
    const auto quietFrom = capture_.waitForSilence(HeardLevel(capture_.snapshot(), start, fullAt) - 10, fullAt, 0.3, kSilenceDb + 1);
    ASSERT_TRUE(quietFrom) << "the level did not drop";

    // Paused, so that the thumb holds still under the pointer.
    Key("0x33");
    const SlotState paused = WaitForSlot(2, Paused, "paused");
    const auto position = rectOf("1110");  // slot 2's position slider
    const int thumbX = position[0] + 13 + (position[2] - 27) * paused.position / 1000;
    drag(thumbX, position[1] + 4, position[0] + 13 + (position[2] - 27) * 3 / 4, position[1] + 4);
    const SlotState moved = WaitForSlot(2, [](const SlotState& s) { return s.time >= " 00;05"; }, "moved");
    const Pcm pcm = capture_.stop();

    EXPECT_GT(dragged.volume, 3000);
    EXPECT_LT(dragged.volume, 7000);
    const double drop = HeardLevel(pcm, start + 0.1, fullAt) - HeardLevel(pcm, *quietFrom, *quietFrom + 0.3);
    EXPECT_NEAR(drop, dragged.volume / 200.0, 2.0) << "volume " << dragged.volume;
    EXPECT_GE(std::stoi(moved.time.substr(4, 2)), 5) << moved.time;
    EXPECT_EQ(moved.image, "paused") << "letting the thumb go keeps a paused sound paused";
}

TEST_F(BoardTest, AClickOnTheTimeDisplaySwitchesToTheTimeRemaining) {
    StartBoard();
    Trigger("LONG");  // 8 s
    WaitForSlot(2, Playing, "playing");
    ASSERT_EQ(Probe({"click", "1075", "10"}).exitCode, 0);  // slot 2's time display
    const SlotState counting = WaitForSlot(2, [](const SlotState& s) { return s.time[0] == '-'; }, "counting down");
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
    // The message was handled when the probe returned; a start would be heard within half a second.
    capture_.waitUntilCaptured(capture_.capturedSeconds() + 0.5);
    const Pcm pcm = capture_.stop();
    EXPECT_TRUE(board_->running());
    EXPECT_FALSE(FirstTimeAbove(pcm, kSoundDb)) << "a slot played on a name that matches none";
}

// An OSC message without arguments sent to the board at 127.0.0.1 from
// `source`, a loopback address standing for another computer (oscsend
// cannot choose the address it sends from).
void SendOscFrom(const std::string& source, int port, const std::string& address) {
    auto padded = [](std::string text) { return text.append(4 - text.size() % 4, '\0'); };
    EXPECT_TRUE(Udp(source).Send(padded(address) + padded(","), port)) << source;
}

// OSC from liblo's oscsend and oscdump, a real OSC implementation, sent to
// loopback addresses only; the listener stops by itself.
TEST_F(BoardTest, OscFiresTheSlotsAndItsSubscribersHearWhatPlays) {
    ASSERT_TRUE(ResetSettings());
    // Favourite 1 for a controller to open while a file dialog is up.
    { std::ofstream(dir_ + "/other.scheme") << ToWindowsPath(dir_ + "/beep.wav") << "|OTHER|0|0|0|0|\r\n"; }
    ASSERT_EQ(RunCommand({"wine", "reg", "add", "HKCU\\Software\\Marrowick\\Clangster", "/v", "MRU0", "/d",
                          ToWindowsPath(dir_ + "/other.scheme"), "/f"}).exitCode, 0);
    StartBoard();
    const std::string port = std::to_string(20000 + getpid() % 20000), listenAt = std::to_string(std::stoi(port) + 1);
    auto remoteControl = [&](const std::string& at, bool fromNetwork, const std::string& allow = "") {
        ASSERT_EQ(Probe({"command", std::to_string(ID_TOOLS_REMOTE_CONTROL)}).exitCode, 0);
        ASSERT_EQ(Probe({"dialog", "Remote control", "check", std::to_string(IDC_REMOTE_ON), "1"}).exitCode, 0);
        SetDialogText("Remote control", IDC_REMOTE_PORT, at);
        Probe({"dialog", "Remote control", "check", std::to_string(IDC_REMOTE_FROM_NETWORK), fromNetwork ? "1" : "0"});
        SetDialogText("Remote control", IDC_REMOTE_ALLOW, allow);
        PressDialogButton("Remote control", 1);
    };
    auto osc = [&](const std::string& host, std::vector<std::string> message) {
        message.insert(message.begin(), {"oscsend", host, port});
        EXPECT_EQ(RunCommand(message).exitCode, 0);
    };
    ASSERT_NO_FATAL_FAILURE(remoteControl(port, false));
    auto dump = Process::Start({"timeout", "120", "oscdump", "-L", listenAt});
    ASSERT_TRUE(dump && WaitUntil([&] { return UdpPortBound(std::stoi(listenAt)); }));
    auto heard = [&](const std::string& line) { return dump->output().find(line) != std::string::npos; };

    osc("127.0.0.1", {"/clangster/subscribe", "i", listenAt});
    osc("127.0.0.1", {"/clangster/slot/1/play"});
    WaitForSlot(0, Playing, "playing");
    // The name and state once, then the time left falling tick by tick.
    std::vector<double> remaining;
    EXPECT_TRUE(WaitUntil([&] {
        remaining.clear();
        std::istringstream lines(dump->output());
        for (std::string line; std::getline(lines, line);)
            if (const auto at = line.find("/clangster/slot/1/remaining f "); at != std::string::npos)
                remaining.push_back(std::atof(line.c_str() + at + 30));
        return remaining.size() >= 4;
    })) << dump->output();
    EXPECT_TRUE(heard("/clangster/slot/1/name s \"TONE A\"") && heard("/clangster/slot/1/state s \"playing\""));
    EXPECT_TRUE(std::is_sorted(remaining.rbegin(), remaining.rend()) && remaining.front() > remaining.back());
    osc("127.0.0.1", {"/clangster/slot/1/volume", "f", "0.5"});
    WaitForSlot(0, [](const SlotState& s) { return s.volume == 5000; }, "at half the slider");
    osc("127.0.0.1", {"/clangster/stopall"});
    WaitForSlot(0, Idle, "stopped");
    osc("127.0.0.1", {"/clangster/slot/3/play"});
    osc("127.0.0.1", {"/clangster/fadeall"});
    WaitForSlot(2, Paused, "faded out");
    EXPECT_TRUE(heard("/clangster/slot/3/state s \"fading\""));

    // Listening on 127.0.0.1 only, a datagram to 127.0.0.2 (another computer) goes unheard:
    // the one after it to 127.0.0.1 is carried out, and it was not.
    osc("127.0.0.2", {"/clangster/slot/2/play"});
    osc("127.0.0.1", {"/clangster/slot/5/play"});
    WaitForSlot(4, Playing, "playing");
    EXPECT_TRUE(Idle(State()[1]));
    ASSERT_NO_FATAL_FAILURE(remoteControl(port, true));
    osc("127.0.0.2", {"/clangster/slot/2/play"});
    WaitForSlot(1, Playing, "playing from another address");

    // With a list of allowed controllers, one outside it is not heard: the
    // datagram after it, from inside the list, is carried out and it was not.
    ASSERT_NO_FATAL_FAILURE(remoteControl(port, true, "127.0.0.3"));
    osc("127.0.0.1", {"/clangster/stopall"});
    WaitForSlot(1, Idle, "stopped");
    SendOscFrom("127.0.0.2", std::stoi(port), "/clangster/slot/2/play");
    SendOscFrom("127.0.0.3", std::stoi(port), "/clangster/slot/4/play");
    WaitForSlot(3, Playing, "playing from an allowed controller");
    EXPECT_TRUE(Idle(State()[1]));
    const RunResult reg = RunCommand({"wine", "reg", "query", "HKCU\\Software\\Marrowick\\Clangster"}, 60);
    for (const std::string& value : std::vector<std::string>{"RemoteControl    REG_SZ    1", "RemotePort    REG_SZ    " + port,
                                                             "RemoteFromNetwork    REG_SZ    1",
                                                             "RemoteAllow    REG_SZ    127.0.0.3"})
        EXPECT_NE(reg.output.find(value), std::string::npos) << reg.output;

    // A favourite asked for while Save As is up opens once it is closed; the
    // file saved holds the board the dialog was opened on. A play asked for
    // after it, carried out at once, shows that both have arrived: its time
    // runs (the dialog may hide its Play button from the screen).
    ASSERT_EQ(Probe({"command", std::to_string(ID_FILE_SAVE_AS)}).exitCode, 0);
    ASSERT_TRUE(WaitForWindow("^Open$", 20));
    osc("127.0.0.1", {"/clangster/favourite/1"});
    osc("127.0.0.1", {"/clangster/slot/1/play"});
    WaitForSlot(0, [](const SlotState& s) { return s.time.find_first_not_of(' ') != std::string::npos; },
                "playing while the dialog is up");
    EXPECT_EQ(ReadBoard().title, "show - Clangster");
    ChooseInFileDialog(ToWindowsPath(dir_ + "/during.scheme"));
    ASSERT_TRUE(WaitForTitle("other - Clangster"));
    const auto saved = ReadLines(dir_ + "/during.scheme");
    ASSERT_EQ(saved.size(), 20u);
    EXPECT_NE(saved[0].find("|TONE A|"), std::string::npos) << saved[0];
    EXPECT_EQ(State()[0].title.rfind("OTHER", 0), 0u);

    // A port another program holds is told, and the choice is kept.
    ASSERT_NO_FATAL_FAILURE(remoteControl(listenAt, true));
    EXPECT_NE(ProbeText({"dialog", "Clangster", "get", "65535"}).find("UDP port " + listenAt), std::string::npos);
    PressDialogButton("Clangster", 1);
    dump->kill();
    ResetSettings();
}

TEST_F(BoardTest, ClosingTheWindowStopsEverySoundAndStoresTheSettings) {
    StartBoard();
    ASSERT_NO_FATAL_FAILURE(Listen());
    Trigger("BEEP");
    NextSound(0);
    ASSERT_EQ(Probe({"close"}).exitCode, 0);
    const auto exit = board_->wait(60);
    // The sound server drains what was mixed before the exit; after that, silence.
    const double closedBy = SilenceAfter(capture_.capturedSeconds(), 0.2);
    capture_.waitUntilCaptured(closedBy + 0.7);
    const Pcm pcm = capture_.stop();
    ASSERT_TRUE(exit) << "the board did not close";
    EXPECT_EQ(*exit, 0);
    EXPECT_LT(LevelDb(pcm, closedBy, pcm.seconds()), -60) << "sound went on after closing";

    const RunResult reg = RunCommand({"wine", "reg", "query", "HKCU\\Software\\Marrowick\\Clangster"}, 60);
    EXPECT_NE(reg.output.find("onplay"), std::string::npos) << reg.output;
    EXPECT_NE(reg.output.find("show.scheme"), std::string::npos) << reg.output;
}

// WAV files as editors and recorders write them, each a tone of its own
// pitch: every one plays that tone for its length, at its level, with no
// header bytes heard as noise; the canonical one among them as always.
TEST_F(BoardTest, WavFilesAsEditorsWriteThemPlayTheirSound) {
    using namespace riffwav;
    struct File {
        const char* name;
        Format format;
        std::vector<Chunk> before;
        double hz;
        bool cutShort = false;
    };
    const File files[] = {
        {"PLAIN", Format{}, {}, 700},
        {"LIST", Format{1, 2, 44100, 16, 18, 0}, {Fact(26460), ListInfo("List tone", "Editor 9")}, 600},
        {"BEXT", Format{0xFFFE, 2, 48000, 24, 40, 0}, {Bext("take 2"), Junk(13)}, 800},
        {"DEEP", Format{0xFFFE, 1, 44100, 32, 40, 0}, {Junk(1)}, 1000},
        {"EIGHT", Format{1, 1, 22050, 8, 18, 0}, {ListInfo("8", "x")}, 500},
        {"CUT", Format{}, {}, 900, true},
    };
    std::ofstream scheme(dir_ + "/editors.scheme", std::ios::binary);
    for (const File& f : files) {
        std::vector<Chunk> chunks = f.before;
        chunks.insert(chunks.begin() + (chunks.empty() ? 0 : 1), Fmt(f.format));
        chunks.push_back({"data", riffwav::Tone(f.format, 0.6, f.hz), f.cutShort ? 0x7FFFFFF0u : UINT32_MAX});
        const Bytes bytes = Riff(chunks);
        const std::string path = dir_ + "/" + f.name + ".wav";
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        scheme << ToWindowsPath(path) << "|" << f.name << "|0.000000|0|0|0|\r\n";
    }
    scheme.close();
    StartBoard("editors");
    auto slots = State();
    for (int i = 0; i < static_cast<int>(std::size(files)); ++i)
        EXPECT_EQ(slots[i].title.substr(0, std::strlen(files[i].name) + 1), std::string(files[i].name) + " ");
    ASSERT_NO_FATAL_FAILURE(Listen());
    for (const File& f : files) {
        SCOPED_TRACE(f.name);
        const double firedAt = capture_.capturedSeconds();
        Trigger(f.name);
        const double start = NextSound(firedAt);
        const double end = SilenceAfter(start, 0.3);
        const Pcm pcm = capture_.snapshot();
        const Pcm heard = Heard(pcm, start, end);
        // Half or twice as long would be a misread sample size; the margin is a
        // starved mixer's dropped or repeated blocks.
        EXPECT_NEAR(SecondsAbove(heard, kSoundDb), 0.6, 0.15);
        EXPECT_NEAR(DominantFrequency(heard, 0.05, heard.seconds() - 0.05), f.hz, f.hz / 100);
        const double level = TypicalLevelDb(heard, 0.05, heard.seconds() - 0.05);
        EXPECT_GT(level, -15) << "too quiet";
        EXPECT_LT(level, -6) << "too loud: noise?";
        // The first 20 ms are the tone's start, not header bytes played as a click.
        EXPECT_LT(LevelDb(heard, 0, 0.02), level + 3);
    }
    capture_.stop();
}

}  // namespace
}  // namespace e2e
