#pragma once
// Help > About: the program's name, version and purpose, with a link that
// opens the maker's web site.
#include "controls/FooButton.h"
#include "framework/Dialog.h"

class CAboutDlg : public fw::Dialog {
public:
    CAboutDlg();

    static const char kMakerSite[];

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    FooButton m_link;
};
