#include "ui/HotkeysDlg.h"

#include <commctrl.h>

#include "framework/App.h"
#include "res/resource.h"
#include "scheme/HotkeyPreferences.h"

namespace {
fw::Window Entry(const fw::Window& dialog, int index) { return fw::Window(dialog.Item(IDC_HOTKEY_FIRST + index)); }
}  // namespace

CHotkeysDlg::CHotkeysDlg() : fw::Dialog(IDD_HOTKEYS) {}

bool CHotkeysDlg::OnInitDialog() {
    Send(WM_SETICON, ICON_SMALL,
         reinterpret_cast<LPARAM>(::LoadIconA(fw::App::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME))));
    for (int i = 0; i < board::kHotkeyCount; ++i) {
        fw::Window(Item(IDC_HOTKEY_NAME_FIRST + i)).SetText(m_owners[static_cast<size_t>(i)]);
        Entry(*this, i).Send(HKM_SETHOTKEY, m_hotkeys[static_cast<size_t>(i)]);
    }
    return true;
}

bool CHotkeysDlg::PreTranslateMessage(MSG& msg) {
    // Backspace alone empties an entry, on every system alike.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_BACK && ::GetKeyState(VK_CONTROL) >= 0 &&
        ::GetKeyState(VK_SHIFT) >= 0 && ::GetKeyState(VK_MENU) >= 0) {
        for (int i = 0; i < board::kHotkeyCount; ++i) {
            if (Entry(*this, i).hwnd() != msg.hwnd) continue;
            Entry(*this, i).Send(HKM_SETHOTKEY, 0);
            return true;
        }
    }
    return fw::Dialog::PreTranslateMessage(msg);
}

void CHotkeysDlg::OnOK() {
    board::Hotkeys chosen{};
    for (int i = 0; i < board::kHotkeyCount; ++i)
        chosen[static_cast<size_t>(i)] = static_cast<std::uint16_t>(Entry(*this, i).Send(HKM_GETHOTKEY));
    if (const auto shared = board::FindSharedHotkey(chosen)) {
        fw::ShowMessage(hwnd_, scheme::SharedHotkeyMessage(shared->first, shared->second, chosen, m_owners));
        ::SetFocus(Entry(*this, shared->second).hwnd());
        return;
    }
    for (int i = 0; i < board::kHotkeyCount; ++i) {
        const std::uint16_t hotkey = chosen[static_cast<size_t>(i)];
        if (!hotkey || board::HasCommandModifier(hotkey)) continue;
        fw::ShowMessage(hwnd_, scheme::BareHotkeyMessage(i, chosen, m_owners));
        ::SetFocus(Entry(*this, i).hwnd());
        return;
    }
    m_hotkeys = chosen;
    EndDialog(IDOK);
}
