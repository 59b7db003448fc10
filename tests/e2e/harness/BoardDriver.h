// Drives a running board the way a user does, through board-probe.exe: the
// slot menu with the mouse, dialogs, menu commands, keys, and what the
// slots show. Every wait is for a condition, with a deadline.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Harness.h"

namespace e2e {

// A canonical 16-bit stereo 44.1 kHz WAV of a sine (amplitude 0 gives silence).
void WriteTone(const std::string& path, double seconds, double hz, double amplitude = 0.5);

struct SlotState {
    std::string title, time, tenths, caption, image;
    int position = -1, volume = -1;
};

struct BoardState {
    std::string title;
    std::map<int, SlotState> slots;
};

RunResult Probe(const std::vector<std::string>& args, double timeoutSeconds = 30);
// Another program holding a file open without sharing ({"hold", PATH}) or a
// system-wide hotkey ({"hotkey", MODS, VK}), until the process is killed.
std::unique_ptr<Process> Hold(const std::vector<std::string>& probeArgs);
// What the probe printed, without its line end.
std::string ProbeText(const std::vector<std::string>& args);
BoardState ReadBoard();

// Waits until the board's title is `title`.
bool WaitForTitle(const std::string& title, double timeoutSeconds = 20);
// Waits until no slot is loading (a loading slot shows "..;.." for its length).
bool WaitForLoads(double timeoutSeconds);

// Opens the slot's menu with a click on the Play button's menu zone and
// chooses its `item`th command (Browse... is 1, Loop 2, Clear 3, Reload 4, Rename 5).
void ChooseSlotMenuItem(int slot, int item);
// Types `path` into the open file dialog and confirms it.
void ChooseInFileDialog(const std::string& windowsPath);
// Sets the text of a control of a dialog and presses one of its buttons.
void SetDialogText(const std::string& caption, int id, const std::string& text);
// Presses a button of a dialog; for a button that closes it, waits until it has gone.
void PressDialogButton(const std::string& caption, int id, bool closes = true);

std::vector<std::string> ReadLines(const std::string& path);

}  // namespace e2e
