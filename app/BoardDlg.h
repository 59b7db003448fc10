#pragma once
// The main window: 18 sound slots on a dark LED panel. The slot logic lives
// in board::Board; this class wires it to the dialog's controls, timers,
// keys and the remote trigger.
#include <array>
#include <memory>
#include <string>

#include "audio/SoundBuffer.h"
#include "board/Board.h"
#include "controls/FooButton.h"
#include "controls/MatrixStatic.h"
#include "controls/ZipSliderCtl.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"

class CBoardDlg : public fw::Dialog, private board::IBoardView {
public:
    // commandLine: the program's arguments; a scheme to open instead of the last one.
    explicit CBoardDlg(std::string commandLine);
    ~CBoardDlg() override;

    board::Board& Board() { return m_board; }

    // Stores the settings, empties every slot and ends the dialog.
    void CloseBoard();
    void SetLedColours(COLORREF on, COLORREF off);
    void ApplyNormalLayout();
    void ApplyCompactLayout();
    void PlaceSlotControls(int slot, int x, int y, bool compact);

protected:
    bool OnInitDialog() override;
    bool PreTranslateMessage(MSG& msg) override;
    bool OnMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    void OnOK() override { CloseBoard(); }
    void OnCancel() override { CloseBoard(); }

private:
    template <typename T>
    using PerSlot = std::array<T, board::kSlotCount>;

    void PlaceAllSlots(bool compact);
    void AttachControls();
    void StyleButtons();
    void OpenFirstScheme();
    bool OnMenuCommand(int id);
    void OnPlayClicked(int slot);
    void OnPositionScroll(int code, HWND slider);
    void OnVolumeScroll(int code, HWND slider);
    void OnCopyData(const COPYDATASTRUCT* data);
    void OnPaint();

    // board::IBoardView
    void SetDisplay(int slot, board::DisplayKind kind, const std::string& text) override;
    void SetPlayImage(int slot, board::PlayImage image) override;
    void SetPlayCaption(int slot, const std::string& caption) override;
    void SetPlayTextColour(int slot, std::uint32_t colour) override;
    void SetPositionRange(int slot, int min, int max) override;
    void SetPositionSlider(int slot, int value) override;
    void SetVolumeSlider(int slot, int value) override;
    int GetVolumeSlider(int slot) override;
    std::uint32_t StartSlotTimer(int slot) override;
    void StopSlotTimer(int slot, std::uint32_t handle) override;
    void SetWindowTitle(const std::string& title) override;
    void ApplyLedColours(std::uint32_t on, std::uint32_t off) override;
    void ApplyLayout(bool compact) override;
    void ShowMessage(const std::string& text) override;

    // The device outlives the board, whose slots hold buffers made on it.
    std::unique_ptr<audio::DirectSoundDevice> m_directSound;
    board::Board m_board;
    std::string m_commandLine;
    PerSlot<MatrixStatic> m_titleDisplays, m_timeDisplays, m_tenthsDisplays;
    PerSlot<FooButton> m_stopButtons, m_playButtons;
    PerSlot<CZipSliderCtl> m_positionSliders, m_volumeSliders;
    UINT_PTR m_fadeTimer = 0;
    fw::UniqueBrush m_blackBrush;
    HICON m_hIcon;
};
