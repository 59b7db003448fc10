#include "ui/AboutDlg.h"

#include <shellapi.h>

#include "res/resource.h"

const char CAboutDlg::kMakerSite[] = "https://www.marrowick.example/";

CAboutDlg::CAboutDlg() : fw::Dialog(IDD_ABOUT) {}

bool CAboutDlg::OnInitDialog() {
    m_link.Attach(hwnd_, IDC_ABOUT_LINK);
    m_link.SetButtonType(FooButton::Link);
    return true;
}

bool CAboutDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_ABOUT_LINK) {
        // The box stays open; a shell that cannot open the address says nothing.
        ::ShellExecuteA(::GetDesktopWindow(), "open", kMakerSite, nullptr, nullptr, SW_SHOWNORMAL);
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}
