#pragma once
// A board wired to the recording view and the fake sound device, with real
// WAV files in a temporary folder and a clock that ticks like the timers.
#include <gtest/gtest.h>

#include <string>

#include "FakeSound.h"
#include "FakeView.h"
#include "TestFiles.h"
#include "board/Board.h"

class BoardFixture : public ::testing::Test {
protected:
    // Loads a sound lasting `seconds` (whole file) into a slot; returns its buffer.
    fake::BufferState& Load(int slot, const std::string& name, double seconds = 10.0,
                            std::uint32_t bytesPerSec = 8000) {
        board.LoadSlot(slot, testfiles::WriteSound(dir, name + ".wav", seconds, bytesPerSec), name);
        EXPECT_TRUE(board.slot(slot).loaded) << name;
        return device.last();
    }

    // One 100 ms period: the sound plays on, then each running slot timer
    // ticks, then the fade timer.
    void Tick(int periods = 1) {
        for (int n = 0; n < periods; ++n) {
            device.Advance(board::kTimerPeriodMs);
            for (int i = 0; i < board::kSlotCount; ++i)
                if (view.at(i).timerRunning) board.OnTimer(board::kFirstSlotTimerId + static_cast<unsigned>(i));
            board.OnTimer(board::kFadeTimerId);
        }
    }
    // A key pressed in the window: true when it was the board's.
    bool Key(unsigned vk, bool shift = false) {
        const auto action = board::KeyAction(vk, shift);
        if (action) board.Perform(*action);
        return action.has_value();
    }
    // A slot timer tick with no time passing.
    void Refresh(int slot) { board.OnTimer(board::kFirstSlotTimerId + static_cast<unsigned>(slot)); }

    testfiles::TempDir dir;
    fake::FakeView view;
    fake::FakeDevice device;
    board::Board board{view, &device};
};
