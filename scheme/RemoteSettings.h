#pragma once
// Tools > Remote control...: whether and where the board listens for OSC,
// and whom it lets in, kept in the settings as "RemoteControl" ("1" on),
// "RemotePort" (decimal), "RemoteFromNetwork" ("1" on) and "RemoteAllow"
// (remote/AllowList.h), read at every start and put in force at once on OK.
// Window-free: the dialog and the socket are IUserDialogs' and ISystemServices'.
#include "board/Board.h"
#include "remote/RemoteControl.h"
#include "scheme/SettingsStore.h"
#include "scheme/SystemServices.h"
#include "scheme/UserDialogs.h"

namespace scheme {

class RemoteControlSettings {
public:
    RemoteControlSettings(board::Board& board, IUserDialogs& dialogs, ISystemServices& system,
                          ISettingsStore& settings, remote::RemoteControl& remote);

    // Start-up: the stored choice, in force. A second board leaves the port
    // to the first, without a word.
    void ApplyStored();
    // The dialog; OK stores the choice and puts it in force.
    void Edit();
    const RemoteSettings& current() const { return m_current; }

private:
    // A port that cannot be opened is told once; the choice stays as made.
    void Apply();

    board::Board& m_board;
    IUserDialogs& m_dialogs;
    ISystemServices& m_system;
    ISettingsStore& m_settings;
    remote::RemoteControl& m_remote;
    RemoteSettings m_current;
    bool m_inForce = false;  // listening (or off) as m_current says
};

// The stored choice; the defaults (off, port 9000, this computer only, any
// address allowed) for what is missing or not a port.
RemoteSettings StoredRemoteSettings(ISettingsStore& settings);

}  // namespace scheme
