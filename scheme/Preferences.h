#pragma once
// What the user chooses for the board beyond a scheme, kept in the settings:
// the favourite schemes with the Schemes menu that lists them, the on-play
// mode and the sound output, and the Options dialog that edits them.
// Window-free: the user is asked through IUserDialogs, the settings kept
// through ISettingsStore.
#include <optional>
#include <string>

#include "board/Board.h"
#include "scheme/SettingsStore.h"
#include "scheme/UserDialogs.h"

namespace scheme {

class Preferences {
public:
    Preferences(board::Board& board, IUserDialogs& dialogs, ISettingsStore& settings);

    // Start-up: the favourites and the Schemes menu.
    void LoadFavourites();
    // Start-up without a scheme on the command line: the stored on-play mode.
    void ReadOnPlayMode();
    // The stored sound output (a device's GUID as text, empty for the
    // system's default), read at start-up before the device is made.
    const std::string& ReadSoundOutput();
    // The stored monitor output and whether it hears every sound.
    const MonitorChoice& ReadMonitor();
    const MonitorChoice& monitor() const { return m_monitor; }
    // Closing: the last scheme (when there is one) and the on-play mode.
    void StoreAtClose(const std::string& lastScheme);

    // The Options dialog: OK keeps the favourites, the on-play mode and the
    // monitor (monitorChanged says whether the caller must put a new one in
    // force). A sound output other than the one in use is returned, for the
    // caller to try; KeepSoundOutput stores it once the sounds play there.
    std::optional<std::string> Options(bool& monitorChanged);
    void KeepSoundOutput(const std::string& output);
    // The output the user chose, as stored.
    const std::string& soundOutput() const { return m_soundOutput; }
    const Favourites& favourites() const { return m_favourites; }
    // A favourite that could not be opened goes; the ones after it move up.
    void RemoveFavourite(int index);

private:
    void UpdateSchemesMenu();
    void SaveFavourites();

    board::Board& m_board;
    IUserDialogs& m_dialogs;
    ISettingsStore& m_settings;
    Favourites m_favourites;
    std::string m_soundOutput;
    MonitorChoice m_monitor;
};

// The stored sound output, before the window exists.
std::string StoredSoundOutput(ISettingsStore& settings);
// The last scheme stored at close; empty when there is none.
std::string StoredLastScheme(ISettingsStore& settings);
// The Schemes menu caption of a favourite: its file name less the extension,
// " < none > " when that leaves nothing.
std::string FavouriteCaption(const std::string& path);
// The registry value names of the favourites, "MRU0" to "MRU11".
std::string FavouriteValueName(int index);

}  // namespace scheme
