// Stopping or fading every sound at once, and moving every sound to another
// sound device.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>

#include "BoardFixture.h"
#include "remote/RemoteControl.h"

namespace {

constexpr int kIdle = static_cast<int>(board::PlayImage::Idle), kPaused = static_cast<int>(board::PlayImage::Paused);

class AllSoundsTest : public BoardFixture {
protected:
    // Slots 0, 5 and 17 playing (5 at slider 2000, i.e. -1000), slot 9 paused 1 s in.
    void StartScene() {
        for (int i : {0, 5, 9, 17}) Load(i, "S" + std::to_string(i));
        board.SetVolume(5, 2000);
        board.OnPlayButton(9);
        Tick(10);
        board.OnPlayButton(9);
        for (int i : {0, 5, 17}) board.OnPlayButton(i);
        Tick(5);
    }
    fake::BufferState& Buffer(int slot) {
        for (auto it = device.buffers.rbegin(); it != device.buffers.rend(); ++it)
            if ((*it)->path == board.slot(slot).path && !(*it)->released) return **it;
        throw std::runtime_error("no buffer");
    }
};

TEST_F(AllSoundsTest, StopAllStopsAndRewindsEverySlotAndEndsFadesAtTheirSavedLevel) {
    board.SetOnPlayMode(board::FadeOthers);
    StartScene();  // starting 5 and 17 set 0 (and 5) fading
    ASSERT_TRUE(board.fading(0));
    ASSERT_LT(Buffer(0).volume, 0);
    board.StopAll();
    for (int i : {0, 5, 9, 17}) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(Buffer(i).playing);
        EXPECT_EQ(0u, Buffer(i).position);
        EXPECT_FALSE(board.fading(i));
        EXPECT_EQ(kIdle, view.at(i).image);
    }
    EXPECT_EQ(0, Buffer(0).volume);
    EXPECT_EQ(-1000, Buffer(5).volume);
}

TEST_F(AllSoundsTest, FadeAllLowersEveryPlayingSoundTwoDecibelsATickThenPausesAndRestores) {
    board.SetOnPlayMode(board::LeaveOthers);
    StartScene();
    board.FadeAll();
    EXPECT_FALSE(board.fading(9)) << "a paused sound is left alone";
    Tick();
    EXPECT_EQ(-200, Buffer(0).volume);
    EXPECT_EQ(-1200, Buffer(5).volume);
    board.FadeAll();  // again mid-fade: the level to restore stays the first one
    Tick(18);         // slot 5 reaches -4800 on its 19th tick
    EXPECT_TRUE(Buffer(5).playing);
    Tick();
    EXPECT_FALSE(Buffer(5).playing);
    EXPECT_EQ(-1000, Buffer(5).volume);
    EXPECT_EQ(kPaused, view.at(5).image);
    EXPECT_TRUE(Buffer(0).playing);
    Tick(5);  // the 25th tick from full volume
    for (int i : {0, 17}) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(Buffer(i).playing);
        EXPECT_NE(0u, Buffer(i).position) << "paused, not rewound";
        EXPECT_EQ(0, Buffer(i).volume);
        EXPECT_EQ(kPaused, view.at(i).image);
    }
}

TEST_F(AllSoundsTest, MovingToAnotherDeviceKeepsEverySlotAsItWas) {
    board.SetOnPlayMode(board::FadeOthers);
    Load(3, "gone");
    board.SetLoop(0, true);
    board.SetCountDown(9, true);
    StartScene();  // 0 (looping) and 5 fading, 17 playing, 9 paused
    std::map<int, fake::BufferState> before;
    for (int i : {0, 5, 9, 17}) before[i] = Buffer(i);
    const std::uint32_t goneSize = Buffer(3).size;
    std::remove(board.slot(3).path.c_str());  // gone from the disk, still in memory
    const std::size_t oldCount = device.buffers.size();

    // An output that does not take every sound changes nothing, and says so once.
    fake::FakeDevice refusing;
    refusing.refuseCopies = true;
    const std::size_t logFrom = view.log.size();
    EXPECT_FALSE(board.MoveToDevice(&refusing));
    EXPECT_EQ(std::vector<std::string>{audio::SoundErrorText(audio::SoundError::OutputRefusedSounds)},
              messages.pending());
    for (int i : {0, 5, 9, 17}) EXPECT_EQ(before[i].playing, Buffer(i).playing) << i;
    for (std::size_t i = 0; i < oldCount; ++i) EXPECT_FALSE(device.buffers[i]->released) << i;

    fake::FakeDevice other;
    EXPECT_TRUE(board.MoveToDevice(&other));
    for (std::size_t i = 0; i < oldCount; ++i) EXPECT_TRUE(device.buffers[i]->released) << i;
    ASSERT_EQ(5u, other.buffers.size());
    auto on = [&](int slot) -> fake::BufferState& {
        for (auto& b : other.buffers)
            if (b->path == board.slot(slot).path) return *b;
        throw std::runtime_error("not moved");
    };
    for (int i : {0, 5, 9, 17}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(before[i].playing, on(i).playing);
        EXPECT_EQ(before[i].looping, on(i).looping);
        EXPECT_EQ(before[i].position, on(i).position);
        EXPECT_EQ(before[i].volume, on(i).volume);
    }
    EXPECT_TRUE(on(0).looping && on(17).playing && on(9).position && board.fading(0));
    EXPECT_TRUE(board.slot(9).countDown);
    EXPECT_TRUE(board.slot(3).loaded()) << "moved from memory, not read again";
    EXPECT_EQ(goneSize, on(3).size);
    EXPECT_TRUE(view.Since(logFrom).empty()) << "no slot was redrawn";

    Tick(30);  // the fades go on on the new device
    EXPECT_FALSE(on(0).playing);
    EXPECT_EQ(0, on(0).volume);
    EXPECT_EQ(-1000, on(5).volume);
}

}  // namespace

// ---- Pre-listen ----

TEST_F(AllSoundsTest, APrelistenIsHeardOnTheMonitorOnlyAndLeavesTheSlotWhereItWas) {
    fake::FakeDevice monitor;
    Load(0, "BELL");
    board.SetVolume(0, 1000);
    auto& own = device.last();
    const auto prelisten = [&] { Perform({board::Action::Prelisten, 0}); };

    prelisten();  // no monitor: nothing happens, nothing is said
    EXPECT_TRUE(monitor.buffers.empty());
    EXPECT_FALSE(board.prelistening(0));
    EXPECT_TRUE(messages.empty());

    board.SetMonitorDevice(&monitor);
    // Each way out of a pre-listen, and what the slot is left with.
    struct Case {
        const char* how;
        std::function<void()> end;
        bool ownPlays;
        std::uint32_t ownPosition;
    };
    const Case ends[] = {
        {"pre-listen again", prelisten, false, 8000},
        {"its stop button", [&] { board.OnStopButton(0); }, false, 8000},
        {"stop all", [&] { board.StopAll(); }, false, 0},  // which rewinds every sound, as ever
        {"firing it", [&] { Perform({board::Action::Fire, 0}); }, true, 8000},
    };
    for (const Case& c : ends) {
        board.PositionSlot(0, 8000);  // 1 s in, idle there
        const auto ownChanges = own.Changes().size();
        prelisten();
        ASSERT_TRUE(board.prelistening(0)) << c.how;
        auto& heard = monitor.last();
        EXPECT_TRUE(heard.playing && !heard.looping) << c.how;
        EXPECT_EQ(8000u, heard.position) << "from the slot's place";
        EXPECT_EQ(-500, heard.volume) << "at its volume";
        EXPECT_EQ(ownChanges, own.Changes().size()) << "the slot's own sound untouched";
        EXPECT_EQ("prelistening", remote::Snapshot(board).slots[0].state) << "the feedback reports it";
        EXPECT_EQ("PRE-LISTEN BELL", view.at(0).title.substr(0, 15)) << c.how;
        monitor.Advance(1500);
        Tick();
        EXPECT_EQ("P00;02", view.at(0).time) << "its running time, marked";
        EXPECT_EQ(".5", view.at(0).tenths);
        EXPECT_NE(static_cast<int>(board::PlayImage::Playing), view.at(0).image) << "it does not read as playing";

        c.end();
        EXPECT_FALSE(board.prelistening(0)) << c.how;
        EXPECT_TRUE(heard.released) << c.how;
        EXPECT_EQ("BELL", view.at(0).title.substr(0, 4)) << c.how;
        EXPECT_EQ(c.ownPlays, own.playing) << c.how;
        EXPECT_EQ(c.ownPosition, own.position) << c.how << ": the slot's place";
    }
    board.OnStopButton(0);
    EXPECT_EQ("idle", remote::Snapshot(board).slots[0].state);

    // A pre-listen that reaches the end of a sound that does not loop ends by itself.
    prelisten();
    monitor.Advance(10000);
    Tick();
    EXPECT_FALSE(board.prelistening(0));
    board.SetMonitorDevice(nullptr);  // turned off: nothing to pre-listen on
    prelisten();
    EXPECT_FALSE(board.prelistening(0));
}

TEST_F(AllSoundsTest, AMonitorThatHearsEverySoundFollowsEachOneInStep) {
    fake::FakeDevice monitor;
    board.SetMonitorDevice(&monitor, true);
    auto& own = Load(0, "BELL");
    Load(1, "IDLE");
    EXPECT_TRUE(monitor.buffers.empty()) << "made only when first needed";
    board.SetLoop(0, true);
    board.SetVolume(0, 2000);
    board.PositionSlot(0, 4000);
    Perform({board::Action::Fire, 0});
    ASSERT_EQ(1u, monitor.buffers.size());
    auto& heard = monitor.last();
    // After each step the monitor's buffer is where the main one is, at its level, playing as it plays.
    const auto inStep = [&](const char* step) {
        EXPECT_EQ(own.playing, heard.playing) << step;
        EXPECT_EQ(own.looping, heard.looping) << step;
        EXPECT_EQ(own.volume, heard.volume) << step;
        if (!own.playing) {
            EXPECT_EQ(own.position, heard.position) << step;
        }
    };
    inStep("fired");
    EXPECT_EQ(4000u, heard.position);
    EXPECT_EQ(-1000, heard.volume);
    Tick(3);
    EXPECT_EQ(own.position, heard.position) << "a monitor 300 ms behind is put back in step at the next tick";
    heard.position = own.position - 8000 / 25;  // 40 ms behind: left alone
    monitor.Advance(100);
    Tick();
    EXPECT_EQ(own.position - 8000 / 25, heard.position);
    Perform({board::Action::Fire, 0});
    heard.position = own.position;  // the two cards' clocks, as the fake device moves only one
    inStep("paused");
    Perform({board::Action::Seek, 0, 5.0});
    inStep("moved while paused");
    Perform({board::Action::Fire, 0});
    inStep("played on");
    board.FadeAll();
    Tick(3);
    inStep("fading");
    EXPECT_EQ(-1600, heard.volume);
    Perform({board::Action::Stop, 0});
    inStep("stopped");
    EXPECT_EQ(0u, heard.position);
    EXPECT_EQ(1u, monitor.buffers.size()) << "one buffer a sound, made once";

    // Turned off, the monitor lets go of it; turned on again while it plays, it joins in.
    Perform({board::Action::Fire, 0});
    Tick(2);
    board.SetMonitorDevice(&monitor, false);
    EXPECT_TRUE(heard.released);
    EXPECT_TRUE(own.playing);
    board.SetMonitorDevice(&monitor, true);
    ASSERT_EQ(2u, monitor.buffers.size());
    EXPECT_TRUE(monitor.last().playing && monitor.last().looping);
    EXPECT_EQ(own.position, monitor.last().position);
}
