#include "scheme/RemoteSettings.h"

#include <cstdlib>

namespace scheme {

namespace {
const char kOn[] = "RemoteControl";
const char kPort[] = "RemotePort";
const char kFromNetwork[] = "RemoteFromNetwork";
const char kAllow[] = "RemoteAllow";

std::string Flag(bool on) { return on ? "1" : "0"; }
}  // namespace

RemoteSettings StoredRemoteSettings(ISettingsStore& settings) {
    RemoteSettings s;
    const auto values = settings.Read({kOn, kPort, kFromNetwork, kAllow});
    if (!values) return s;
    s.on = ValueOf(*values, kOn) == "1";
    s.fromNetwork = ValueOf(*values, kFromNetwork) == "1";
    s.allow = ValueOf(*values, kAllow);
    const std::string port = ValueOf(*values, kPort);
    char* end = nullptr;
    const long n = std::strtol(port.c_str(), &end, 10);
    if (!port.empty() && *end == '\0' && n >= 1 && n <= 65535) s.port = static_cast<int>(n);
    return s;
}

RemoteControlSettings::RemoteControlSettings(board::Board& board, IUserDialogs& dialogs, ISystemServices& system,
                                             ISettingsStore& settings, remote::RemoteControl& remote)
    : m_board(board), m_dialogs(dialogs), m_system(system), m_settings(settings), m_remote(remote) {}

void RemoteControlSettings::ApplyStored() {
    m_current = StoredRemoteSettings(m_settings);
    if (!m_system.IsSecondBoard()) Apply();
}

void RemoteControlSettings::Edit() {
    RemoteSettings chosen = m_current;
    if (!m_dialogs.EditRemoteControl(chosen)) return;
    m_settings.Write({{kOn, Flag(chosen.on)},
                      {kPort, std::to_string(chosen.port)},
                      {kFromNetwork, Flag(chosen.fromNetwork)},
                      {kAllow, chosen.allow}});
    // Subscribers keep their feedback unless something changed; OK again tries a port that failed.
    if (chosen == m_current && m_inForce) return;
    m_current = chosen;
    Apply();
}

void RemoteControlSettings::Apply() {
    // The list is in force before the first datagram can arrive. One that
    // cannot be read (edited by hand) lets in this computer alone: it is
    // never read wider than it was written.
    remote::AllowList allow;
    std::string bad;
    if (!allow.Parse(m_current.allow, bad)) {
        allow.AllowOnlyThisComputer();
        m_board.Tell("The list of computers allowed to control the board holds \"" + bad +
                     "\", which is not an address or a block of addresses.\n\nUntil it is mended in Tools > Remote "
                     "control..., only programs on this computer can control the board.");
    }
    m_remote.Allow(allow);
    const std::string why = m_system.UseRemoteControl(m_current);
    m_inForce = why.empty();
    if (m_inForce) return;
    m_board.Tell("Remote control cannot listen for OSC on UDP port " + std::to_string(m_current.port) +
                 (m_current.fromNetwork ? "" : " of this computer (127.0.0.1)") + ":\n\n" + why +
                 "\n\nIt stays on with this port; Tools > Remote control... chooses another.");
}

}  // namespace scheme
