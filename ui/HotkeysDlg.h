#pragma once
// Tools > Hotkeys...: one standard hot-key control for each slot, for Stop
// all and Fade all, and for each favourite scheme, each beside its owner's
// name. OK takes no combination twice and none without Ctrl or Alt.
#include <array>
#include <string>

#include "board/Hotkey.h"
#include "framework/Dialog.h"

class CHotkeysDlg : public fw::Dialog {
public:
    CHotkeysDlg();

    // The caller fills both before showing the dialog; m_hotkeys holds what
    // was chosen after OK, and is left as given after Cancel.
    board::Hotkeys m_hotkeys{};
    std::array<std::string, board::kHotkeyCount> m_owners;

protected:
    bool OnInitDialog() override;
    bool PreTranslateMessage(MSG& msg) override;
    void OnOK() override;
};
