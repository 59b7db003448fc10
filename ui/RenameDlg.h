#pragma once
// Slot menu > Rename: one line for the sound's new name.
#include <string>

#include "framework/Control.h"
#include "framework/Dialog.h"

// An edit box that never holds a "|", the scheme file's field separator:
// it drops the character whether typed, pasted or set.
class CNameEdit : public fw::Control {
protected:
    LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;

private:
    bool m_trailByteNext = false;  // the last typed byte began a double-byte character
};

class CRenameDlg : public fw::Dialog {
public:
    CRenameDlg();

    std::string m_name;  // shown on opening, the typed name after OK

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CNameEdit m_edit;
};
