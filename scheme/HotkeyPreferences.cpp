#include "scheme/HotkeyPreferences.h"

namespace scheme {

std::string HotkeyValueName(int index) {
    if (index == board::kHotkeyStopAll) return "HotkeyStopAll";
    if (index == board::kHotkeyFadeAll) return "HotkeyFadeAll";
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
        text += owners[at] + ": " + board::HotkeyText(hotkeys[at]) + "\n";
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

HotkeyPreferences::HotkeyPreferences(board::Board& board, ICommandHost& host, ISettingsStore& settings)
    : m_board(board), m_host(host), m_settings(settings) {}

void HotkeyPreferences::Load() {
    std::vector<std::string> names;
    for (int i = 0; i < board::kHotkeyCount; ++i) names.push_back(HotkeyValueName(i));
    if (const auto values = m_settings.Read(names)) {
        for (std::size_t i = 0; i < names.size(); ++i) m_hotkeys[i] = board::HotkeyFromText(ValueOf(*values, names[i]));
    }
    Register();
}

void HotkeyPreferences::Edit() {
    // None while the dialog is open: its controls get every combination,
    // the board's own too.
    m_host.RegisterHotkeys({});
    board::Hotkeys chosen = m_hotkeys;
    if (m_host.EditHotkeys(chosen, Owners())) {
        m_hotkeys = chosen;
        std::vector<std::pair<std::string, std::string>> values;
        for (int i = 0; i < board::kHotkeyCount; ++i)
            values.emplace_back(HotkeyValueName(i), board::HotkeyToText(m_hotkeys[static_cast<std::size_t>(i)]));
        m_settings.Write(values);
    }
    Register();
}

void HotkeyPreferences::Register() {
    const std::vector<int> refused = m_host.RegisterHotkeys(m_hotkeys);
    board::Hotkeys working = m_hotkeys;
    for (int i : refused) working[static_cast<std::size_t>(i)] = 0;
    m_board.SetHotkeys(working);
    if (!refused.empty()) m_board.view().ShowMessage(RefusedHotkeysMessage(refused, m_hotkeys, Owners()));
}

std::array<std::string, board::kHotkeyCount> HotkeyPreferences::Owners() const {
    std::array<std::string, board::kHotkeyCount> owners;
    for (int i = 0; i < board::kHotkeyCount; ++i)
        owners[static_cast<std::size_t>(i)] = board::HotkeyOwner(i, i < board::kSlotCount ? m_board.slot(i).name : "");
    return owners;
}

}  // namespace scheme
