#pragma once
// Tools > Remote control...: OSC on or off, its UDP port, and whether other
// computers may send to it.
#include "framework/Dialog.h"
#include "scheme/Choices.h"

class CRemoteControlDlg : public fw::Dialog {
public:
    CRemoteControlDlg();

    // Filled by the caller before showing the dialog; read after OK.
    scheme::RemoteSettings m_settings;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;

private:
    // The port and the network switch matter only while OSC is on.
    void EnableDetails();
};
