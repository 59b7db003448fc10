#pragma once
// The commands that build, save and reopen a board from its window: the File
// menu, the slot menu, the favourite schemes with the Options dialog, and the
// settings read at start-up and stored at close. Window-free: the user is
// asked through ICommandHost, the settings kept through ISettingsStore.
#include <string>
#include <utility>
#include <vector>

#include "board/Board.h"
#include "scheme/CommandHost.h"
#include "scheme/SettingsStore.h"

namespace scheme {

class SchemeCommands {
public:
    SchemeCommands(board::Board& board, ICommandHost& host, ISettingsStore& settings);

    // Start-up: the favourites and the Schemes menu, then (after the window is
    // set up) the scheme of the command line, or else the last scheme and the
    // stored on-play mode.
    void LoadFavourites();
    void OpenFirstScheme(const std::string& commandLine);

    // File menu.
    void NewScheme();
    void Open();
    void Save();
    void SaveSchemeAs();
    // Stores the settings, empties every slot and ends the window.
    void CloseBoard();

    // The slot menu, and each of its commands.
    void SlotMenu(int slot);
    void RunSlotCommand(int slot, SlotCommand command);

    // Files dropped onto the board, over `slot` (-1 when over no slot): a
    // scheme among them opens; sound files (audio/SoundKind.h) fill that
    // slot and then the empty slots after it, and the board says how many
    // did not fit.
    void DropFiles(int slot, const std::vector<std::string>& paths);

    // The sound output: the stored choice (a device's GUID as text, empty for
    // the system's default), read at start-up before the device is made.
    const std::string& ReadSoundOutput();

    // Favourites, the on-play mode and the sound output.
    void Options();
    // A favourite from the Schemes menu: with Shift held, in a second board.
    void OpenFavourite(int index);

    // The one place that carries out what is asked from outside the board's
    // controls (keys, remote messages, hotkeys, OSC): a favourite here, in
    // this board; everything else on the board.
    void Perform(const board::Action& action);
    const Favourites& favourites() const { return m_favourites; }

private:
    void OpenFavouriteHere(int index);
    void Browse(int slot);
    void Rename(int slot);
    void RemoveFavourite(int index);
    void UpdateSchemesMenu();
    void SaveFavourites();

    board::Board& m_board;
    ICommandHost& m_host;
    ISettingsStore& m_settings;
    Favourites m_favourites;
    std::string m_soundOutput;
};

// What a drop of files over a slot (-1: over no slot) does, given which
// slots are empty: the scheme to open, or the sounds to load and where.
struct DropPlan {
    std::string scheme;
    std::vector<std::pair<int, std::string>> loads;  // slot, sound path
    int leftOut = 0;                                // sound files with no empty slot left
};
DropPlan PlanDrop(int slot, const std::vector<std::string>& paths, const std::vector<bool>& emptySlots);
// The message for sounds that did not fit.
std::string LeftOutMessage(int count);

// What start-up needs before the window exists: the scheme the board opens
// first (the command line's, unquoted, or else the last one; empty for none)
// and the stored sound output.
std::string FirstSchemePath(ISettingsStore& settings, const std::string& commandLine);
std::string StoredSoundOutput(ISettingsStore& settings);

// The Schemes menu caption of a favourite: its file name less the extension,
// " < none > " when that leaves nothing.
std::string FavouriteCaption(const std::string& path);
// The program's own path from its command line (quoted or not).
std::string GetProgramPath(const std::string& commandLine);
// The registry value names of the favourites, "MRU0" to "MRU11".
std::string FavouriteValueName(int index);

}  // namespace scheme
