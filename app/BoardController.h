#pragma once
// The board's one front door, free of the window: it owns the board, the
// scheme and settings commands, the OSC service and the sound device, starts
// them in order, and takes every input there is: actions, menu commands,
// clicks and slider moves, drops, hotkeys, datagrams and timer ticks.
// CBoardDlg turns Win32 messages into these calls; host tests make them
// directly, through the same wiring.
//
// No input re-enters another. Every message box, dialog, menu and file
// chooser runs a nested message loop, and so may reading a scheme; what
// arrives meanwhile only plays: play, pause, stop, volume, seek, stop all,
// fade all, and the timers. Opening a favourite, the one action that
// changes what the slots hold, waits until the board is back in its own
// loop, where only the last of those that waited opens. What the user is
// told meanwhile is gathered and shown there too, in one message box.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board/Board.h"
#include "remote/RemoteControl.h"
#include "scheme/HotkeyPreferences.h"
#include "scheme/Preferences.h"
#include "scheme/RemoteSettings.h"
#include "scheme/SchemeFiles.h"
#include "scheme/SettingsStore.h"
#include "scheme/SlotEditing.h"
#include "scheme/SystemServices.h"
#include "scheme/UserDialogs.h"

namespace app {

// The main menu's commands; Theme and Favourite take an index.
enum class MenuCommand {
    New, Open, Save, SaveAs, Exit,
    Normal, Compact, Theme,
    Favourite,
    Options, Hotkeys, RemoteControl, StopAll,
    About,
};

class BoardController {
public:
    BoardController(board::IBoardView& view, scheme::IUserDialogs& dialogs, scheme::ISystemServices& system,
                    scheme::ISettingsStore& settings, remote::RemoteControl::ToBoardText toBoardText = nullptr,
                    remote::RemoteControl::ToNetworkText toNetworkText = nullptr);
    BoardController(const BoardController&) = delete;
    BoardController& operator=(const BoardController&) = delete;

    // Once the window's controls exist: the settings, the sound device, the
    // scheme of the command line or else the last one, the remote control
    // and the hotkeys, in that order.
    void Start(const std::string& commandLine);

    // Keys, the remote window messages and the trigger tool.
    void Perform(const board::Action& action);
    void Menu(MenuCommand command, int index = 0);
    // A click on a slot's Play button; in its menu zone, the slot menu.
    void PlayClicked(int slot, bool menuZone);
    void StopClicked(int slot);
    void TimeClicked(int slot);
    void PositionReleased(int slot, int value);
    void VolumeMoved(int slot, int value, bool dragged);
    void ControlKey(bool down);
    // Files dropped over a slot (-1: over none).
    void Drop(int slot, const std::vector<std::string>& paths);
    // A system-wide hotkey fires once while it is held: the system repeats
    // it at the keyboard's rate, and a repeat would pause what it started.
    void Hotkey(int index);
    void HotkeyReleased(int index);
    bool HotkeyHeld(int index) const;
    void Datagram(const void* bytes, std::size_t size, const remote::Endpoint& from, std::uint64_t nowMs);
    // The sound device has finished loading sounds. They may go into their
    // slots inside a nested loop too: a loading slot changes nothing but
    // becoming playable, and one fired meanwhile plays the moment it can.
    void LoadsFinished();
    // A window timer; the fade tick returns the feedback for the OSC
    // subscribers, to be sent.
    std::vector<remote::Datagram> Timer(unsigned id, std::uint64_t nowMs);
    // Stores the settings, empties every slot and ends the window.
    void Close();

    // The board, for the window to read what it shows, and for tests.
    const board::Board& board() const { return m_board; }
    board::Board& board() { return m_board; }
    const scheme::HotkeyPreferences& hotkeys() const { return m_hotkeys; }

private:
    // Runs one input. Back in the board's own loop afterwards, whatever
    // waited is done and whatever was told is shown.
    template <typename F>
    void Handle(F&& input);
    void Settle();
    bool Reentered() const { return m_depth > 0; }
    // An action inside an input; a favourite waits when that input came
    // from a nested loop.
    void Do(const board::Action& action);
    void UseSoundOutput(const std::string& output);
    // Opens the monitor the preferences name (none when it cannot be had).
    void UseMonitor();
    // On the board's tick: the output watch (see WatchOutput in the .cpp).
    void WatchOutput(std::uint64_t nowMs);
    void WatchMainOutput();
    void WatchMonitor();
    std::unique_ptr<audio::ISoundDevice> OpenOutput(const std::string& output);

    scheme::IUserDialogs& m_dialogs;
    scheme::ISystemServices& m_system;
    board::Messages m_messages;
    // Outlives the board, whose slots hold buffers made on it.
    std::unique_ptr<audio::ISoundDevice> m_device;
    std::unique_ptr<audio::ISoundDevice> m_monitor;  // the operator's headphones; null for none
    std::string m_deviceOutput;       // the output m_device was opened for
    bool m_outputWaiting = false;     // the output went with no other: the sounds wait for one
    bool m_outputGoneTold = false;    // told that it went, not yet that it is back
    bool m_monitorGoneTold = false;   // the same for the monitor
    std::uint64_t m_nextOutputLook = 0;
    board::Board m_board;
    scheme::Preferences m_preferences;
    scheme::SchemeFiles m_files;
    scheme::SlotEditing m_slotEditing;
    scheme::HotkeyPreferences m_hotkeys;
    remote::RemoteControl m_remote;
    scheme::RemoteControlSettings m_remoteSettings;

    int m_depth = 0;  // inputs being handled: more than one means re-entered
    std::optional<int> m_waitingFavourite;
    bool m_closeWaiting = false;
    std::array<bool, board::kHotkeyCount> m_hotkeyHeld{};
};

}  // namespace app
