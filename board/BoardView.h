#pragma once
// What the board's logic needs from its window: the slot controls, the slot
// timers and the window itself. (What the user is told goes through
// board::Messages.) The main dialog implements it with real
// controls; host tests implement it with a recording fake.
#include <cstdint>
#include <string>

#include "board/TimeFormat.h"

namespace board {

// What a Play button's small image shows.
enum class PlayImage { Idle, Playing, Paused };

class IBoardView {
public:
    virtual ~IBoardView() = default;

    // Slot controls.
    virtual void SetDisplay(int slot, DisplayKind kind, const std::string& paddedText) = 0;
    virtual void SetPlayImage(int slot, PlayImage image) = 0;
    virtual void SetPlayCaption(int slot, const std::string& caption) = 0;
    virtual void SetPlayTextColour(int slot, std::uint32_t colour) = 0;  // repaints
    virtual void SetPositionRange(int slot, int min, int max) = 0;
    virtual void SetPositionSlider(int slot, int value) = 0;
    virtual void SetVolumeSlider(int slot, int value) = 0;

    // The slot's 100 ms refresh timer (id 1224 + slot). Starting a running
    // timer restarts it. Returns the handle later given to StopSlotTimer.
    virtual std::uint32_t StartSlotTimer(int slot) = 0;
    virtual void StopSlotTimer(int slot, std::uint32_t handle) = 0;

    // The window.
    virtual void SetWindowTitle(const std::string& title) = 0;
    virtual void ApplyLedColours(std::uint32_t on, std::uint32_t off) = 0;  // redraws everything
    virtual void ApplyLayout(bool compact) = 0;
};

}  // namespace board
