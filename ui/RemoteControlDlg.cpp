#include "ui/RemoteControlDlg.h"

#include <cstdlib>

#include "framework/App.h"
#include "res/resource.h"

CRemoteControlDlg::CRemoteControlDlg() : fw::Dialog(IDD_REMOTE_CONTROL) {}

bool CRemoteControlDlg::OnInitDialog() {
    Send(WM_SETICON, ICON_SMALL,
         reinterpret_cast<LPARAM>(::LoadIconA(fw::App::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME))));
    ::CheckDlgButton(hwnd_, IDC_REMOTE_ON, m_settings.on ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hwnd_, IDC_REMOTE_FROM_NETWORK, m_settings.fromNetwork ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemInt(hwnd_, IDC_REMOTE_PORT, static_cast<UINT>(m_settings.port), FALSE);
    EnableDetails();
    return true;
}

bool CRemoteControlDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_REMOTE_ON && code == BN_CLICKED) {
        EnableDetails();
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

void CRemoteControlDlg::EnableDetails() {
    const bool on = ::IsDlgButtonChecked(hwnd_, IDC_REMOTE_ON) == BST_CHECKED;
    ::EnableWindow(Item(IDC_REMOTE_PORT), on);
    ::EnableWindow(Item(IDC_REMOTE_FROM_NETWORK), on);
}

void CRemoteControlDlg::OnOK() {
    BOOL isNumber = FALSE;
    const UINT port = ::GetDlgItemInt(hwnd_, IDC_REMOTE_PORT, &isNumber, FALSE);
    if (!isNumber || port < 1 || port > 65535) {
        fw::ShowMessage(hwnd_, "The port is a number from 1 to 65535.", MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(Item(IDC_REMOTE_PORT));
        return;
    }
    m_settings.on = ::IsDlgButtonChecked(hwnd_, IDC_REMOTE_ON) == BST_CHECKED;
    m_settings.fromNetwork = ::IsDlgButtonChecked(hwnd_, IDC_REMOTE_FROM_NETWORK) == BST_CHECKED;
    m_settings.port = static_cast<int>(port);
    EndDialog(IDOK);
}
