#include "scheme/HotkeyPreferences.h"

#include <algorithm>

namespace scheme {

std::string HotkeyValueName(int index) {
    if (index == board::kHotkeyStopAll) return "HotkeyStopAll";
    if (index == board::kHotkeyFadeAll) return "HotkeyFadeAll";
    if (index >= board::kHotkeyFirstFavourite)
        return "HotkeyFavourite" + std::to_string(index - board::kHotkeyFirstFavourite + 1);
    return "Hotkey" + std::to_string(index + 1);
}

std::string RefusedHotkeysMessage(const std::vector<int>& refused, const board::Hotkeys& hotkeys,
                                  const std::array<std::string, board::kHotkeyCount>& owners) {
    const bool one = refused.size() == 1;
    std::string text = one ? "This hotkey could not be registered: another program holds it, or Windows refuses it.\n\n"
                           : "These hotkeys could not be registered: other programs hold them, or Windows refuses "
                             "them.\n\n";
    for (int i : refused) {
        const auto at = static_cast<std::size_t>(i);
        text += owners[at] + ": " + board::HotkeyText(hotkeys[at]);
        text += board::HasCommandModifier(hotkeys[at])
                    ? "\n"
                    : " (without Ctrl or Alt it would take the key from every program)\n";
    }
    return text + (one ? "\nChoose another in Tools > Hotkeys..., or it is tried again at the next start."
                       : "\nChoose others in Tools > Hotkeys..., or they are tried again at the next start.");
}

std::string SharedHotkeyMessage(int first, int second, const board::Hotkeys& hotkeys,
                                const std::array<std::string, board::kHotkeyCount>& owners) {
    return owners[static_cast<std::size_t>(first)] + " and " + owners[static_cast<std::size_t>(second)] +
           " have the same hotkey, " + board::HotkeyText(hotkeys[static_cast<std::size_t>(first)]) +
           ".\n\nA hotkey does one thing: give one of them another.";
}

std::string BareHotkeyMessage(int index, const board::Hotkeys& hotkeys,
                              const std::array<std::string, board::kHotkeyCount>& owners) {
    return owners[static_cast<std::size_t>(index)] + ": " + board::HotkeyText(hotkeys[static_cast<std::size_t>(index)]) +
           " has no Ctrl or Alt.\n\nA hotkey works in every program: without Ctrl or Alt it would take this key "
           "from all of them. Add Ctrl or Alt, or empty the entry with Backspace.";
}

HotkeyPreferences::HotkeyPreferences(board::Board& board, IUserDialogs& dialogs, ISystemServices& system,
                                     ISettingsStore& settings, const Preferences& preferences)
    : m_board(board), m_dialogs(dialogs), m_system(system), m_settings(settings), m_preferences(preferences) {}

void HotkeyPreferences::Load() {
    std::vector<std::string> names;
    for (int i = 0; i < board::kHotkeyCount; ++i) names.push_back(HotkeyValueName(i));
    if (const auto values = m_settings.Read(names)) {
        for (std::size_t i = 0; i < names.size(); ++i) m_hotkeys[i] = board::HotkeyFromText(ValueOf(*values, names[i]));
    }
    if (!m_system.IsSecondBoard()) Register();
}

void HotkeyPreferences::Edit() {
    // None while the dialog is open: its controls get every combination,
    // the board's own too.
    m_system.RegisterHotkeys({});
    board::Hotkeys chosen = m_hotkeys;
    if (m_dialogs.EditHotkeys(chosen, Owners())) {
        m_hotkeys = chosen;
        std::vector<std::pair<std::string, std::string>> values;
        for (int i = 0; i < board::kHotkeyCount; ++i)
            values.emplace_back(HotkeyValueName(i), board::HotkeyToText(m_hotkeys[static_cast<std::size_t>(i)]));
        m_settings.Write(values);
    }
    Register();
}

void HotkeyPreferences::Register() {
    // One without Ctrl or Alt (stored by an older board) is never registered.
    board::Hotkeys tried = m_hotkeys;
    std::vector<int> refused;
    for (int i = 0; i < board::kHotkeyCount; ++i) {
        std::uint16_t& hotkey = tried[static_cast<std::size_t>(i)];
        if (hotkey && !board::HasCommandModifier(hotkey)) {
            hotkey = 0;
            refused.push_back(i);
        }
    }
    for (int i : m_system.RegisterHotkeys(tried)) refused.push_back(i);
    for (int i : refused) tried[static_cast<std::size_t>(i)] = 0;
    m_board.SetHotkeys(tried);
    std::sort(refused.begin(), refused.end());
    if (!refused.empty()) m_board.Tell(RefusedHotkeysMessage(refused, m_hotkeys, Owners()));
}

std::array<std::string, board::kHotkeyCount> HotkeyPreferences::Owners() const {
    std::array<std::string, board::kHotkeyCount> owners;
    for (int i = 0; i < board::kHotkeyCount; ++i) {
        std::string name;
        if (i < board::kSlotCount) name = m_board.slot(i).name;
        if (i >= board::kHotkeyFirstFavourite) {
            const auto favourite = static_cast<std::size_t>(i - board::kHotkeyFirstFavourite);
            const std::string& path = m_preferences.favourites()[favourite];
            if (!path.empty()) name = FavouriteCaption(path);
        }
        owners[static_cast<std::size_t>(i)] = board::HotkeyOwner(i, name);
    }
    return owners;
}

}  // namespace scheme
