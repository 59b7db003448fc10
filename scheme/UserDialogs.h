#pragma once
// What the user sees of the board besides its slots: messages, questions,
// the file chooser, the slot menu, the Rename, Options, Hotkeys, Remote
// control and About dialogs, the Schemes menu, and the window's end. Every
// call but the last two runs a modal loop of its own until the user answers. The main window
// implements it with the real boxes and dialogs; host tests with a script.
#include <array>
#include <optional>
#include <string>

#include "board/Hotkey.h"
#include "scheme/Choices.h"

namespace scheme {

class IUserDialogs {
public:
    virtual ~IUserDialogs() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual bool AskYesNo(const std::string& question) = 0;
    // A file chooser for schemes or sounds, starting from initialName: the full
    // path chosen, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseFile(FileKind kind, const std::string& initialName) = 0;
    // The slot menu below the slot's Play button: the command chosen.
    // "Pre-listen" is checked while the slot pre-listens, greyed without a monitor.
    virtual SlotCommand TrackSlotMenu(int slot, bool loopChecked, bool prelistening, bool canPrelisten) = 0;
    // The dialogs, each false when cancelled. soundOutput: a device's GUID as
    // text, empty for the system's default device. The Hotkeys dialog labels
    // entry i owners[i] and lets no two entries share a combination.
    virtual bool EditName(std::string& name) = 0;
    virtual bool EditOptions(Favourites& favourites, int& onPlayMode, std::string& soundOutput,
                             MonitorChoice& monitor) = 0;
    virtual bool EditHotkeys(board::Hotkeys& hotkeys, const std::array<std::string, board::kHotkeyCount>& owners) = 0;
    virtual bool EditRemoteControl(RemoteSettings& settings) = 0;
    virtual void ShowAbout() = 0;
    // The Schemes menu's captions.
    virtual void ShowFavouriteCaptions(const Favourites& captions) = 0;
    // Ends the main window; the program then exits.
    virtual void EndBoard() = 0;
};

}  // namespace scheme
