#include "scheme/Preferences.h"

#include <cstdlib>

#include "framework/AnsiText.h"

namespace scheme {

namespace {
const char kLastFile[] = "LastFile";
const char kOnPlay[] = "onplay";
const char kSoundOutput[] = "SoundOutput";
const char kMonitorOutput[] = "MonitorOutput";
const char kMonitorAll[] = "MonitorAll";

// One stored value; empty when it is not there.
std::string ReadValue(ISettingsStore& settings, const char* name) {
    const auto values = settings.Read({name});
    return values ? ValueOf(*values, name) : std::string();
}
}  // namespace

std::string FavouriteValueName(int index) { return "MRU" + std::to_string(index); }

std::string FavouriteCaption(const std::string& path) {
    std::string caption = path;
    const auto slash = fw::FindLastAnsi(caption, '\\');
    if (slash != std::string::npos) caption = caption.substr(slash + 1);
    const auto dot = fw::FindLastAnsi(caption, '.');
    caption = dot == std::string::npos ? std::string() : caption.substr(0, dot);
    return caption.empty() ? " < none > " : caption;
}

std::string StoredSoundOutput(ISettingsStore& settings) { return ReadValue(settings, kSoundOutput); }
std::string StoredLastScheme(ISettingsStore& settings) { return ReadValue(settings, kLastFile); }

Preferences::Preferences(board::Board& board, IUserDialogs& dialogs, ISettingsStore& settings)
    : m_board(board), m_dialogs(dialogs), m_settings(settings) {}

void Preferences::LoadFavourites() {
    std::vector<std::string> names;
    for (int i = 0; i < board::kFavouriteCount; ++i) names.push_back(FavouriteValueName(i));
    if (const auto values = m_settings.Read(names)) {
        for (int i = 0; i < board::kFavouriteCount; ++i)
            m_favourites[static_cast<std::size_t>(i)] = ValueOf(*values, names[static_cast<std::size_t>(i)]);
    }
    UpdateSchemesMenu();
}

void Preferences::ReadOnPlayMode() {
    const auto values = m_settings.Read({kOnPlay});
    if (!values) return;
    const auto mode = values->find(kOnPlay);
    // Leading digits count; text without them gives 0.
    if (mode != values->end()) m_board.SetOnPlayMode(static_cast<int>(std::strtol(mode->second.c_str(), nullptr, 10)));
}

const std::string& Preferences::ReadSoundOutput() {
    m_soundOutput = StoredSoundOutput(m_settings);
    return m_soundOutput;
}

const MonitorChoice& Preferences::ReadMonitor() {
    m_monitor.output = ReadValue(m_settings, kMonitorOutput);
    m_monitor.hearsAll = ReadValue(m_settings, kMonitorAll) == "1";
    return m_monitor;
}

void Preferences::StoreAtClose(const std::string& lastScheme) {
    std::vector<std::pair<std::string, std::string>> values;
    // After a new scheme the last file of an earlier run is kept.
    if (!lastScheme.empty()) values.emplace_back(kLastFile, lastScheme);
    values.emplace_back(kOnPlay, std::to_string(m_board.onPlayMode()));
    m_settings.Write(values);
}

std::optional<std::string> Preferences::Options(bool& monitorChanged) {
    monitorChanged = false;
    Favourites favourites = m_favourites;
    int mode = m_board.onPlayMode();
    std::string output = m_soundOutput;
    MonitorChoice monitor = m_monitor;
    if (!m_dialogs.EditOptions(favourites, mode, output, monitor)) return std::nullopt;
    if (!(monitor == m_monitor)) {
        m_monitor = monitor;
        monitorChanged = true;
        m_settings.Write({{kMonitorOutput, monitor.output}, {kMonitorAll, monitor.hearsAll ? "1" : "0"}});
    }
    m_favourites = favourites;
    m_board.SetOnPlayMode(mode);
    UpdateSchemesMenu();
    SaveFavourites();
    if (output == m_soundOutput) return std::nullopt;
    return output;
}

void Preferences::KeepSoundOutput(const std::string& output) {
    // Absent or empty is the default device.
    m_soundOutput = output;
    m_settings.Write({{kSoundOutput, output}});
}

void Preferences::RemoveFavourite(int index) {
    for (int i = index; i + 1 < board::kFavouriteCount; ++i)
        m_favourites[static_cast<std::size_t>(i)] = m_favourites[static_cast<std::size_t>(i + 1)];
    m_favourites.back().clear();
    UpdateSchemesMenu();
    SaveFavourites();
}

void Preferences::UpdateSchemesMenu() {
    Favourites captions;
    for (int i = 0; i < board::kFavouriteCount; ++i)
        captions[static_cast<std::size_t>(i)] = FavouriteCaption(m_favourites[static_cast<std::size_t>(i)]);
    m_dialogs.ShowFavouriteCaptions(captions);
}

void Preferences::SaveFavourites() {
    std::vector<std::pair<std::string, std::string>> values;
    for (int i = 0; i < board::kFavouriteCount; ++i)
        values.emplace_back(FavouriteValueName(i), m_favourites[static_cast<std::size_t>(i)]);
    m_settings.Write(values);
}

}  // namespace scheme
