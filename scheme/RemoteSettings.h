#pragma once
// Tools > Remote control...: whether and where the board listens for OSC,
// kept in the settings as "RemoteControl" ("1" on), "RemotePort" (decimal)
// and "RemoteFromNetwork" ("1" on), read at every start and put in force at
// once on OK. Window-free: the dialog and the socket are ICommandHost's.
#include "board/Board.h"
#include "scheme/CommandHost.h"
#include "scheme/SettingsStore.h"

namespace scheme {

class RemoteControlSettings {
public:
    RemoteControlSettings(board::Board& board, ICommandHost& host, ISettingsStore& settings);

    // Start-up: the stored choice, in force.
    void ApplyStored();
    // The dialog; OK stores the choice and puts it in force.
    void Edit();
    const RemoteSettings& current() const { return m_current; }

private:
    // A port that cannot be opened is told once; the choice stays as made.
    void Apply();

    board::Board& m_board;
    ICommandHost& m_host;
    ISettingsStore& m_settings;
    RemoteSettings m_current;
    bool m_inForce = false;  // listening (or off) as m_current says
};

// The stored choice; the defaults (off, port 9000, this computer only) for
// what is missing or not a port.
RemoteSettings StoredRemoteSettings(ISettingsStore& settings);

}  // namespace scheme
