#pragma once
// The board's schemes as files: the File menu (New, Open, Save, Save as,
// Exit), the scheme opened at start-up, and the favourites opened from the
// Schemes menu. Window-free: the user is asked through IUserDialogs.
#include <string>

#include "board/Board.h"
#include "scheme/Preferences.h"
#include "scheme/SettingsStore.h"
#include "scheme/SystemServices.h"
#include "scheme/UserDialogs.h"

namespace scheme {

class SchemeFiles {
public:
    SchemeFiles(board::Board& board, IUserDialogs& dialogs, ISystemServices& system, ISettingsStore& settings,
                Preferences& preferences);

    // Start-up, after the window is set up: the scheme of the command line,
    // or else the last scheme and the stored on-play mode.
    void OpenFirstScheme(const std::string& commandLine);

    void NewScheme();
    void Open();
    void Save();
    void SaveSchemeAs();
    // Stores the settings, empties every slot and ends the window.
    void CloseBoard();

    // A favourite from the Schemes menu: with Shift held, in a second board.
    void OpenFavourite(int index);
    // A favourite in this board, whatever the keys; one that cannot be
    // opened is taken off the list.
    void OpenFavouriteHere(int index);

private:
    board::Board& m_board;
    IUserDialogs& m_dialogs;
    ISystemServices& m_system;
    ISettingsStore& m_settings;
    Preferences& m_preferences;
};

// The scheme the board opens first: the command line's, unquoted, or else
// the last one; empty for none. Start-up reads it before the window exists.
std::string FirstSchemePath(ISettingsStore& settings, const std::string& commandLine);
// The program's own path from its command line (quoted or not).
std::string GetProgramPath(const std::string& commandLine);
// Whether a path names a scheme file (".scheme", in any case).
bool IsSchemeFileName(const std::string& path);

}  // namespace scheme
