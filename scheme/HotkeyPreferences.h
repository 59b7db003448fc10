#pragma once
// The system-wide hotkeys as the user chooses them: read and registered at
// start-up, edited in Tools > Hotkeys..., kept in the settings. Window-free:
// the dialog and the system's register are reached through ICommandHost.
#include <array>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Hotkey.h"
#include "scheme/CommandHost.h"
#include "scheme/SettingsStore.h"

namespace scheme {

class HotkeyPreferences {
public:
    HotkeyPreferences(board::Board& board, ICommandHost& host, ISettingsStore& settings);

    // Start-up: the stored hotkeys registered; those the system refused are
    // told once.
    void Load();
    // Tools > Hotkeys...: OK keeps and registers what was chosen, Cancel
    // keeps what there was.
    void Edit();
    const board::Hotkeys& hotkeys() const { return m_hotkeys; }

private:
    // Registers m_hotkeys, tells which were refused and shows the others
    // while Ctrl is held.
    void Register();
    std::array<std::string, board::kHotkeyCount> Owners() const;

    board::Board& m_board;
    ICommandHost& m_host;
    ISettingsStore& m_settings;
    board::Hotkeys m_hotkeys{};
};

// The stored values' names: "Hotkey1" to "Hotkey18", "HotkeyStopAll", "HotkeyFadeAll".
std::string HotkeyValueName(int index);
// What the user is told of the hotkeys the system refused.
std::string RefusedHotkeysMessage(const std::vector<int>& refused, const board::Hotkeys& hotkeys,
                                  const std::array<std::string, board::kHotkeyCount>& owners);
// What the user is told of two entries with one combination.
std::string SharedHotkeyMessage(int first, int second, const board::Hotkeys& hotkeys,
                                const std::array<std::string, board::kHotkeyCount>& owners);

}  // namespace scheme
