#pragma once
// A window for the board that records what it was told: the latest state of
// every slot control and of the window, and a log of every call in order.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "board/Board.h"

namespace fake {

struct SlotControls {
    std::string title, time, tenths;  // texts as the displays received them
    int image = -1;                   // a board::PlayImage; -1 until first set
    std::string caption;              // "" until first set
    std::uint32_t captionColour = 0xFFFFFFFF;  // not a COLORREF: never set
    int positionMin = 0, positionMax = 0;
    int position = 0;
    int volume = 0;
    bool timerRunning = false;
    std::uint32_t timerHandle = 0;
};

class FakeView : public board::IBoardView {
public:
    void SetDisplay(int slot, board::DisplayKind kind, const std::string& text) override {
        Log("SetDisplay", slot, std::to_string(static_cast<int>(kind)) + " [" + text + "]");
        auto& s = at(slot);
        (kind == board::DisplayKind::Title ? s.title : kind == board::DisplayKind::Time ? s.time : s.tenths) = text;
    }
    void SetPlayImage(int slot, board::PlayImage image) override {
        const char* names[] = {"idle", "playing", "paused"};
        Log("SetPlayImage", slot, names[static_cast<int>(image)]);
        at(slot).image = static_cast<int>(image);
    }
    void SetPlayCaption(int slot, const std::string& caption) override {
        Log("SetPlayCaption", slot, caption);
        at(slot).caption = caption;
    }
    void SetPlayTextColour(int slot, std::uint32_t colour) override {
        Log("SetPlayTextColour", slot, std::to_string(colour));
        at(slot).captionColour = colour;
    }
    void SetPositionRange(int slot, int min, int max) override {
        Log("SetPositionRange", slot, std::to_string(min) + ".." + std::to_string(max));
        at(slot).positionMin = min;
        at(slot).positionMax = max;
    }
    void SetPositionSlider(int slot, int value) override {
        Log("SetPositionSlider", slot, std::to_string(value));
        at(slot).position = value;
    }
    void SetVolumeSlider(int slot, int value) override {
        Log("SetVolumeSlider", slot, std::to_string(value));
        at(slot).volume = value;
    }

    // Like SetTimer on a window: the handle is the timer id.
    std::uint32_t StartSlotTimer(int slot) override {
        Log("StartSlotTimer", slot, "");
        at(slot).timerRunning = true;
        return at(slot).timerHandle = board::kFirstSlotTimerId + static_cast<std::uint32_t>(slot);
    }
    // Like KillTimer: only the right handle stops the timer.
    void StopSlotTimer(int slot, std::uint32_t handle) override {
        Log("StopSlotTimer", slot, std::to_string(handle));
        if (handle == at(slot).timerHandle) at(slot).timerRunning = false;
    }

    void SetWindowTitle(const std::string& text) override {
        log.push_back("SetWindowTitle " + text);
        title = text;
    }
    void ApplyLedColours(std::uint32_t on, std::uint32_t off) override {
        log.push_back("ApplyLedColours");
        ledOn = on;
        ledOff = off;
    }
    void ApplyLayout(bool isCompact) override {
        log.push_back(isCompact ? "ApplyLayout compact" : "ApplyLayout normal");
        compact = isCompact;
    }

    SlotControls& at(int slot) { return slots.at(static_cast<std::size_t>(slot)); }

    // The logged calls since `from`, keeping only those whose text starts with `prefix`.
    std::vector<std::string> Since(std::size_t from, const std::string& prefix = "") const {
        std::vector<std::string> out;
        for (std::size_t i = from; i < log.size(); ++i)
            if (log[i].compare(0, prefix.size(), prefix) == 0) out.push_back(log[i]);
        return out;
    }

    std::array<SlotControls, board::kSlotCount> slots;
    std::string title;
    std::uint32_t ledOn = board::kLedOnGreen, ledOff = board::kLedOffGreen;
    bool compact = false;
    std::vector<std::string> log;  // e.g. "SetPlayImage 3 paused"

private:
    void Log(const char* what, int slot, const std::string& detail) {
        log.push_back(std::string(what) + " " + std::to_string(slot) + (detail.empty() ? "" : " " + detail));
    }
};

}  // namespace fake
