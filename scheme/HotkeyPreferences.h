#pragma once
// The system-wide hotkeys as the user chooses them: read and registered at
// start-up, edited in Tools > Hotkeys..., kept in the settings. Window-free:
// the dialog and the system's register are reached through IUserDialogs and
// ISystemServices.
#include <array>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Hotkey.h"
#include "scheme/Preferences.h"
#include "scheme/SettingsStore.h"
#include "scheme/SystemServices.h"
#include "scheme/UserDialogs.h"

namespace scheme {

class HotkeyPreferences {
public:
    HotkeyPreferences(board::Board& board, IUserDialogs& dialogs, ISystemServices& system, ISettingsStore& settings,
                      const Preferences& preferences);

    // Start-up: the stored hotkeys registered, those the system refused told
    // once. A second board leaves them to the first, without a word.
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
    IUserDialogs& m_dialogs;
    ISystemServices& m_system;
    ISettingsStore& m_settings;
    const Preferences& m_preferences;
    board::Hotkeys m_hotkeys{};
};

// The stored values' names: "Hotkey1" to "Hotkey18", "HotkeyStopAll",
// "HotkeyFadeAll", "HotkeyFavourite1" to "HotkeyFavourite12".
std::string HotkeyValueName(int index);
// What the user is told of the hotkeys the system refused, or that were not
// tried because they lack Ctrl and Alt.
std::string RefusedHotkeysMessage(const std::vector<int>& refused, const board::Hotkeys& hotkeys,
                                  const std::array<std::string, board::kHotkeyCount>& owners);
// What the Hotkeys dialog says of two entries with one combination, and of
// one without Ctrl or Alt.
std::string SharedHotkeyMessage(int first, int second, const board::Hotkeys& hotkeys,
                                const std::array<std::string, board::kHotkeyCount>& owners);
std::string BareHotkeyMessage(int index, const board::Hotkeys& hotkeys,
                              const std::array<std::string, board::kHotkeyCount>& owners);

}  // namespace scheme
