#include "scheme/RemoteSettings.h"

#include <cstdlib>

namespace scheme {

namespace {
const char kOn[] = "RemoteControl";
const char kPort[] = "RemotePort";
const char kFromNetwork[] = "RemoteFromNetwork";

std::string Flag(bool on) { return on ? "1" : "0"; }
}  // namespace

RemoteSettings StoredRemoteSettings(ISettingsStore& settings) {
    RemoteSettings s;
    const auto values = settings.Read({kOn, kPort, kFromNetwork});
    if (!values) return s;
    s.on = ValueOf(*values, kOn) == "1";
    s.fromNetwork = ValueOf(*values, kFromNetwork) == "1";
    const std::string port = ValueOf(*values, kPort);
    char* end = nullptr;
    const long n = std::strtol(port.c_str(), &end, 10);
    if (!port.empty() && *end == '\0' && n >= 1 && n <= 65535) s.port = static_cast<int>(n);
    return s;
}

RemoteControlSettings::RemoteControlSettings(board::Board& board, ICommandHost& host, ISettingsStore& settings)
    : m_board(board), m_host(host), m_settings(settings) {}

void RemoteControlSettings::ApplyStored() {
    m_current = StoredRemoteSettings(m_settings);
    Apply();
}

void RemoteControlSettings::Edit() {
    RemoteSettings chosen = m_current;
    if (!m_host.EditRemoteControl(chosen)) return;
    m_settings.Write({{kOn, Flag(chosen.on)}, {kPort, std::to_string(chosen.port)}, {kFromNetwork, Flag(chosen.fromNetwork)}});
    // Subscribers keep their feedback unless something changed; OK again tries a port that failed.
    if (chosen == m_current && m_inForce) return;
    m_current = chosen;
    Apply();
}

void RemoteControlSettings::Apply() {
    const std::string why = m_host.UseRemoteControl(m_current);
    m_inForce = why.empty();
    if (m_inForce) return;
    m_board.view().ShowMessage("Remote control cannot listen for OSC on UDP port " + std::to_string(m_current.port) +
                               (m_current.fromNetwork ? "" : " of this computer (127.0.0.1)") + ":\n\n" + why +
                               "\n\nIt stays on with this port; Tools > Remote control... chooses another.");
}

}  // namespace scheme
