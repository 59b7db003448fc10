#pragma once
// The main window: 18 sound slots on a dark LED panel. It turns the
// window's messages (clicks, sliders, keys, menus, drops, timers, hotkeys,
// the remote trigger, datagrams) into inputs of the board's front door,
// app::BoardController, which holds all the logic; it shows the slots the
// board describes (board::IBoardView) and the user's dialogs, menus and
// messages (scheme::IUserDialogs). The system's services are CBoardSystem's.
#include <windows.h>
#include <shellapi.h>

#include <array>
#include <memory>
#include <string>

#include "app/BoardController.h"
#include "app/BoardSystem.h"
#include "controls/FooButton.h"
#include "controls/MatrixStatic.h"
#include "controls/ZipSliderCtl.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "scheme/Settings.h"

class CBoardDlg : public fw::Dialog, private board::IBoardView, private scheme::IUserDialogs {
public:
    // commandLine: the program's arguments; a scheme to open instead of the last one.
    explicit CBoardDlg(std::string commandLine);
    ~CBoardDlg() override;

    // The program's own static and track bar classes, under their standard
    // names, with a device context per window; the constructor registers
    // them, and whoever makes the template without a CBoardDlg.
    static bool RegisterControlClasses();

    const board::Board& Board() const { return m_controller.board(); }
    app::BoardController& Controller() { return m_controller; }
    void PlaceSlotControls(int slot, int x, int y, bool compact);

protected:
    bool OnInitDialog() override;
    bool PreTranslateMessage(MSG& msg) override;
    bool OnMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    void OnOK() override { m_controller.Close(); }
    void OnCancel() override { m_controller.Close(); }
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
    void OnHotkey(WPARAM id);
    void OnHotkeyPoll();
    void OnOscWaiting(WPARAM socket);
    void OnFadeTick();
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

    // scheme::IUserDialogs
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& question) override;
    std::optional<std::string> ChooseFile(scheme::FileKind kind, const std::string& initialName) override;
    scheme::SlotCommand TrackSlotMenu(int slot, bool loopChecked, bool prelistening, bool canPrelisten) override;
    bool EditName(std::string& name) override;
    bool EditOptions(scheme::Favourites& favourites, int& onPlayMode, std::string& soundOutput,
                     scheme::MonitorChoice& monitor) override;
    bool EditHotkeys(board::Hotkeys& hotkeys, const std::array<std::string, board::kHotkeyCount>& owners) override;
    bool EditRemoteControl(scheme::RemoteSettings& settings) override;
    void ShowAbout() override;
    void ShowFavouriteCaptions(const scheme::Favourites& captions) override;
    void EndBoard() override { EndDialog(IDOK); }

    std::string m_commandLine;
    scheme::RegistrySettings m_settings;
    CBoardSystem m_system;
    std::array<SlotControls, board::kSlotCount> m_slots;
    app::BoardController m_controller;
    UINT_PTR m_fadeTimer = 0;
    bool m_hotkeyPolling = false;
    UINT m_allSoundsMessage;  // the registered remote stop/fade-all message
    fw::UniqueBrush m_blackBrush;
    HICON m_hIcon;
};
