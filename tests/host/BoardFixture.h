#pragma once
// A board wired to the recording view and the fake sound device, with real
// WAV files in a temporary folder and a clock that ticks like the timers:
// on its own (BoardFixture), or inside the whole program's front door
// (ProgramFixture, FakeHost.h).
#include <gtest/gtest.h>

#include <string>

#include "FakeHost.h"
#include "FakeSound.h"
#include "FakeView.h"
#include "TestFiles.h"
#include "board/Board.h"

template <typename Rig>
class FixtureOf : public ::testing::Test {
protected:
    // Loads a sound lasting `seconds` (whole file) into a slot; returns its buffer.
    fake::BufferState& Load(int slot, const std::string& name, double seconds = 10.0,
                            std::uint32_t bytesPerSec = 8000) {
        board.LoadSlot(slot, testfiles::WriteSound(dir, name + ".wav", seconds, bytesPerSec), name);
        EXPECT_TRUE(board.slot(slot).loaded()) << name;
        return device.last();
    }

    // One 100 ms period: the sound plays on, then each running slot timer
    // ticks, then the fade timer.
    void Tick(int periods = 1) {
        for (int n = 0; n < periods; ++n) {
            device.Advance(board::kTimerPeriodMs);
            for (int i = 0; i < board::kSlotCount; ++i)
                if (view.at(i).timerRunning) TimerTick(board::kFirstSlotTimerId + static_cast<unsigned>(i));
            TimerTick(board::kFadeTimerId);
        }
    }
    // A key pressed in the window: true when it was the board's.
    bool Key(unsigned vk, bool shift = false) {
        const auto action = board::KeyAction(vk, shift);
        if (action) Perform(*action);
        return action.has_value();
    }
    // A slot timer tick with no time passing.
    void Refresh(int slot) { TimerTick(board::kFirstSlotTimerId + static_cast<unsigned>(slot)); }
    // The fade tick with no time passing: a volume slider moved more than
    // once since the tick before is drawn here.
    void FadeTick() { TimerTick(board::kFadeTimerId); }

    virtual void TimerTick(unsigned id) { board.OnTimer(id); }
    virtual void Perform(const board::Action& action) { board.Perform(action); }

    testfiles::TempDir dir;
    Rig rig;
    fake::FakeView& view = rig.view;
    fake::FakeDevice& device = rig.device;
    board::Board& board = rig.board;
};

struct BoardRig {
    fake::FakeView view;
    board::Messages messages;  // what the user would be told, in order
    fake::FakeDevice device;
    board::Board board{view, messages, &device};
};

class BoardFixture : public FixtureOf<BoardRig> {
protected:
    board::Messages& messages = rig.messages;
};

// Inputs go in through the front door, as the window hands them over;
// what the user is told is shown through the fake dialogs.
class ProgramFixture : public FixtureOf<fake::Program> {
protected:
    void SetUp() override { controller.Start(""); }
    // Starts again, as the program's next run would, with the settings as they are now.
    void Restart(const std::string& commandLine = "") { controller.Start(commandLine); }
    void TimerTick(unsigned id) override {
        if (id != board::kFadeTimerId) return static_cast<void>(controller.Timer(id, now));
        now += board::kTimerPeriodMs;
        sent = controller.Timer(id, now);
    }
    void Perform(const board::Action& action) override { controller.Perform(action); }

    app::BoardController& controller = rig.controller;
    fake::FakeDialogs& dialogs = rig.dialogs;
    fake::FakeSystem& system = rig.system;
    fake::FakeSettings& settings = rig.settings;
    std::uint64_t now = 0;                // the millisecond clock the front door is told
    std::vector<remote::Datagram> sent;  // the last fade tick's feedback
};
