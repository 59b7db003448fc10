#include "ui/RemoteControlDlg.h"

#include <cstdlib>

#include "framework/App.h"
#include "framework/Window.h"
#include "remote/AllowList.h"
#include "res/resource.h"

CRemoteControlDlg::CRemoteControlDlg() : fw::Dialog(IDD_REMOTE_CONTROL) {}

bool CRemoteControlDlg::OnInitDialog() {
    Send(WM_SETICON, ICON_SMALL,
         reinterpret_cast<LPARAM>(::LoadIconA(fw::App::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME))));
    ::CheckDlgButton(hwnd_, IDC_REMOTE_ON, m_settings.on ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hwnd_, IDC_REMOTE_FROM_NETWORK, m_settings.fromNetwork ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemInt(hwnd_, IDC_REMOTE_PORT, static_cast<UINT>(m_settings.port), FALSE);
    fw::Window(Item(IDC_REMOTE_ALLOW)).SetText(m_settings.allow);
    EnableDetails();
    return true;
}

bool CRemoteControlDlg::OnCommand(int id, int code, HWND control) {
    if ((id == IDC_REMOTE_ON || id == IDC_REMOTE_FROM_NETWORK) && code == BN_CLICKED) {
        EnableDetails();
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

void CRemoteControlDlg::EnableDetails() {
    const bool on = ::IsDlgButtonChecked(hwnd_, IDC_REMOTE_ON) == BST_CHECKED;
    const bool network = ::IsDlgButtonChecked(hwnd_, IDC_REMOTE_FROM_NETWORK) == BST_CHECKED;
    ::EnableWindow(Item(IDC_REMOTE_PORT), on);
    ::EnableWindow(Item(IDC_REMOTE_FROM_NETWORK), on);
    ::EnableWindow(Item(IDC_REMOTE_ALLOW), on && network);
}

void CRemoteControlDlg::OnOK() {
    BOOL isNumber = FALSE;
    const UINT port = ::GetDlgItemInt(hwnd_, IDC_REMOTE_PORT, &isNumber, FALSE);
    if (!isNumber || port < 1 || port > 65535) {
        fw::ShowMessage(hwnd_, "The port is a number from 1 to 65535.", MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(Item(IDC_REMOTE_PORT));
        return;
    }
    const std::string allow = fw::Window(Item(IDC_REMOTE_ALLOW)).Text();
    std::string bad;
    if (remote::AllowList list; !list.Parse(allow, bad)) {
        fw::ShowMessage(hwnd_,
                        "\"" + bad + "\" is not an address (such as 192.168.1.20) or a block of addresses (such as "
                        "192.168.1.0/24, which names the block's first address).",
                        MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(Item(IDC_REMOTE_ALLOW));
        return;
    }
    m_settings.allow = allow;
    m_settings.on = ::IsDlgButtonChecked(hwnd_, IDC_REMOTE_ON) == BST_CHECKED;
    m_settings.fromNetwork = ::IsDlgButtonChecked(hwnd_, IDC_REMOTE_FROM_NETWORK) == BST_CHECKED;
    m_settings.port = static_cast<int>(port);
    EndDialog(IDOK);
}
