#pragma once
// The main window: 18 sound slots on a dark LED panel. The slot logic lives
// in board::Board, the commands in scheme::SchemeFiles, SlotEditing,
// Preferences and HotkeyPreferences, and what is asked from outside in
// scheme::BoardActions; this class wires them to the dialog's controls,
// timers, keys, menus, the file dialogs, the remote trigger and the
// system-wide hotkeys.
#include <windows.h>
#include <shellapi.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "audio/DirectSoundDevice.h"
#include "audio/SoundPrefetch.h"
#include "board/Board.h"
#include "controls/FooButton.h"
#include "controls/MatrixStatic.h"
#include "controls/ZipSliderCtl.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "remote/OscSocket.h"
#include "remote/RemoteControl.h"
#include "scheme/BoardActions.h"
#include "scheme/HotkeyPreferences.h"
#include "scheme/Preferences.h"
#include "scheme/RemoteSettings.h"
#include "scheme/SchemeFiles.h"
#include "scheme/SlotEditing.h"
#include "scheme/Settings.h"

class CBoardDlg : public fw::Dialog, private board::IBoardView, private scheme::ICommandHost {
public:
    // commandLine: the program's arguments; a scheme to open instead of the last one.
    explicit CBoardDlg(std::string commandLine);
    ~CBoardDlg() override;

    // The program's own static and track bar classes, under their standard
    // names, with a device context per window; the constructor registers
    // them, and whoever makes the template without a CBoardDlg.
    static bool RegisterControlClasses();

    board::Board& Board() { return m_board; }

    // Stores the settings, empties every slot and ends the dialog.
    void CloseBoard() { m_files.CloseBoard(); }
    void PlaceSlotControls(int slot, int x, int y, bool compact);

protected:
    bool OnInitDialog() override;
    bool PreTranslateMessage(MSG& msg) override;
    bool OnMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    void OnOK() override { CloseBoard(); }
    void OnCancel() override { CloseBoard(); }
    void OnDestroy() override;

private:
    // One slot's seven controls.
    struct SlotControls {
        MatrixStatic title, time, tenths;
        FooButton stop, play;
        CZipSliderCtl position, volume;
    };

    void AttachControls();
    void StyleButtons();
    void SetUpDisplays(COLORREF on, COLORREF off);
    void PlaceAllSlots(bool compact);
    bool OnMenuCommand(int id);
    bool OnSlotCommand(int id, int code);
    void OnPlayClicked(int slot);
    void OnPositionScroll(int code, HWND slider);
    void OnVolumeScroll(int code, HWND slider);
    void OnCopyData(const COPYDATASTRUCT* data);
    void OnDropFiles(HDROP drop);
    void OnAllSounds(WPARAM action);
    void OnOscWaiting(WPARAM socket);
    void SendFeedback();
    void DrawDueVolumeSliders();
    void OnPaint();
    SlotControls& Slot(int slot) { return m_slots[static_cast<size_t>(slot)]; }
    int SlotOfSlider(HWND slider, bool volume) const;

    // board::IBoardView
    void SetDisplay(int slot, board::DisplayKind kind, const std::string& text) override;
    void SetPlayImage(int slot, board::PlayImage image) override;
    void SetPlayCaption(int slot, const std::string& caption) override;
    void SetPlayTextColour(int slot, std::uint32_t colour) override;
    void SetPositionRange(int slot, int min, int max) override;
    void SetPositionSlider(int slot, int value) override;
    void SetVolumeSlider(int slot, int value) override;
    std::uint32_t StartSlotTimer(int slot) override;
    void StopSlotTimer(int slot, std::uint32_t handle) override;
    void SetWindowTitle(const std::string& title) override;
    void ApplyLedColours(std::uint32_t on, std::uint32_t off) override;
    void ApplyLayout(bool compact) override;
    void ShowMessage(const std::string& text) override;

    // scheme::ICommandHost
    std::optional<std::string> ChooseFile(scheme::FileKind kind, const std::string& initialName) override;
    bool AskYesNo(const std::string& question) override;
    scheme::SlotCommand TrackSlotMenu(int slot, bool loopChecked) override;
    bool EditName(std::string& name) override;
    bool EditOptions(scheme::Favourites& favourites, int& onPlayMode, std::string& soundOutput) override;
    bool UseSoundOutput(const std::string& soundOutput) override;
    bool EditHotkeys(board::Hotkeys& hotkeys, const std::array<std::string, board::kHotkeyCount>& owners) override;
    std::vector<int> RegisterHotkeys(const board::Hotkeys& hotkeys) override;
    void ShowFavouriteCaptions(const scheme::Favourites& captions) override;
    bool IsShiftDown() override;
    void StartProgramCopy(const std::string& arguments) override;
    void EndBoard() override { EndDialog(IDOK); }
    bool EditRemoteControl(scheme::RemoteSettings& settings) override;
    std::string UseRemoteControl(const scheme::RemoteSettings& settings) override;

    // The device outlives the board, whose slots hold buffers made on it.
    std::unique_ptr<audio::DirectSoundDevice> m_directSound;
    board::Board m_board;
    scheme::RegistrySettings m_settings;
    scheme::Preferences m_preferences;
    scheme::HotkeyPreferences m_hotkeys;
    scheme::SchemeFiles m_files;
    scheme::SlotEditing m_slotEditing;
    scheme::BoardActions m_actions;
    // OSC: the settings, the service and its socket, all on this thread.
    scheme::RemoteControlSettings m_remoteSettings;
    remote::RemoteControl m_remote;
    remote::OscSocket m_oscSocket;
    // A volume slider moved from outside the window (an OSC fader, a scheme)
    // is drawn at once when it was still through the tick before; while it
    // keeps moving, only at each tick: a fader sends far more values than a
    // screen shows.
    std::array<bool, board::kSlotCount> m_volumeMovedThisTick{}, m_volumeMovedLastTick{};
    std::array<std::optional<int>, board::kSlotCount> m_volumeDue{};
    std::string m_commandLine;
    // Reads the first scheme's sounds while the window is built, until the
    // device takes it over.
    std::unique_ptr<audio::SoundPrefetch> m_prefetch;
    std::array<SlotControls, board::kSlotCount> m_slots;
    UINT_PTR m_fadeTimer = 0;
    UINT m_allSoundsMessage;  // the registered remote stop/fade-all message
    fw::UniqueBrush m_blackBrush;
    HICON m_hIcon;
};
