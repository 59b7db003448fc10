#pragma once
// What the scheme commands need from the window and the system: file choices,
// the overwrite question, the slot menu, the Rename, Options and Hotkeys
// dialogs, the Schemes menu, the Shift key, a second running copy of the
// program and the system's hotkeys. The main window implements it with real
// dialogs; host tests with a scripted fake.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "board/Hotkey.h"

namespace scheme {

constexpr int kFavouriteCount = 12;
using Favourites = std::array<std::string, kFavouriteCount>;

// The slot menu's commands; None when it was dismissed.
enum class SlotCommand { None, Browse, Loop, Clear, Reload, Rename };

enum class FileKind { Scheme, Sound };

// Whether and where the board listens for OSC over UDP: on the loopback
// address only, unless other computers are let in.
struct RemoteSettings {
    bool on = false;
    int port = 9000;
    bool fromNetwork = false;
    bool operator==(const RemoteSettings& o) const { return on == o.on && port == o.port && fromNetwork == o.fromNetwork; }
};

class ICommandHost {
public:
    virtual ~ICommandHost() = default;
    // A file chooser for schemes or sounds, starting from initialName: the full
    // path chosen, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseFile(FileKind kind, const std::string& initialName) = 0;
    virtual bool AskYesNo(const std::string& question) = 0;
    // The slot menu below the slot's Play button: the command chosen.
    virtual SlotCommand TrackSlotMenu(int slot, bool loopChecked) = 0;
    // The Rename dialog; false when cancelled.
    virtual bool EditName(std::string& name) = 0;
    // The Options dialog; false when cancelled. soundOutput: a device's GUID
    // as text, empty for the system's default device.
    virtual bool EditOptions(Favourites& favourites, int& onPlayMode, std::string& soundOutput) = 0;
    // Plays through another output from now on (every loaded sound moved to
    // it); false, after telling the user, when that output could not be had
    // and the sounds play on where they were.
    virtual bool UseSoundOutput(const std::string& soundOutput) = 0;
    // The Hotkeys dialog, entry i labelled owners[i]; false when cancelled.
    // It lets no two entries share a combination.
    virtual bool EditHotkeys(board::Hotkeys& hotkeys,
                             const std::array<std::string, board::kHotkeyCount>& owners) = 0;
    // Registers the hotkeys with the system in place of any registered
    // before (all 0: none); the entries the system refused.
    virtual std::vector<int> RegisterHotkeys(const board::Hotkeys& hotkeys) = 0;
    virtual void ShowFavouriteCaptions(const Favourites& captions) = 0;
    virtual bool IsShiftDown() = 0;
    // Starts another copy of this program with the given argument text.
    virtual void StartProgramCopy(const std::string& arguments) = 0;
    // Ends the main window; the program then exits.
    virtual void EndBoard() = 0;
    // The Remote control dialog; false when cancelled.
    virtual bool EditRemoteControl(RemoteSettings& settings) = 0;
    // Listens for OSC as the settings say, or stops: why it cannot, empty when it does.
    virtual std::string UseRemoteControl(const RemoteSettings& settings) = 0;
};

}  // namespace scheme
