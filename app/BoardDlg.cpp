#include "app/BoardDlg.h"

#include "app/SlotIds.h"
#include "framework/App.h"
#include "res/resource.h"
#include "scheme/Scheme.h"
#include "scheme/Settings.h"
#include "ui/AboutDlg.h"
#include "ui/Layout.h"
#include "ui/Themes.h"

using board::kSlotCount;

namespace {
constexpr COLORREF kKeyColour = RGB(255, 0, 255);

// The command line names a scheme; a path in quotes (as Explorer passes it) is unquoted.
std::string SchemeArgument(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return text;
}

template <typename Controls>
int SlotOfWindow(const Controls& controls, HWND hwnd) {
    for (int i = 0; i < kSlotCount; ++i)
        if (controls[static_cast<size_t>(i)].hwnd() == hwnd) return i;
    return -1;
}
}  // namespace

CBoardDlg::CBoardDlg(std::string commandLine)
    : fw::Dialog(IDD_BOARD),
      m_board(*this, nullptr),
      m_commandLine(std::move(commandLine)),
      m_hIcon(::LoadIconA(fw::App::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

CBoardDlg::~CBoardDlg() = default;

bool CBoardDlg::OnInitDialog() {
    ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    AttachControls();
    for (auto& slider : m_volumeSliders) slider.SetRange(0, board::kVolumeRange, false);
    constexpr unsigned kPositionChannelFlags =
        CZipSliderCtl::ChannelCentred | CZipSliderCtl::ChannelStretched | CZipSliderCtl::ChannelInset;
    for (auto& slider : m_positionSliders)
        slider.SetBitmaps(IDB_SLIDER_CHANNEL, IDB_SLIDER_THUMB, IDB_SLIDER_THUMB_ACTIVE, kPositionChannelFlags);
    for (auto& slider : m_volumeSliders)
        slider.SetBitmaps(IDB_SLIDER_VCHANNEL, IDB_SLIDER_THUMB, IDB_SLIDER_THUMB_ACTIVE, 0);
    SetLedColours(board::kLedOnGreen, board::kLedOffGreen);
    StyleButtons();
    m_board.m_schemePath.clear();
    ApplyNormalLayout();
    m_fadeTimer = ::SetTimer(hwnd_, board::kFadeTimerId, board::kTimerPeriodMs, nullptr);
    m_blackBrush.reset(::CreateSolidBrush(RGB(0, 0, 0)));
    m_directSound = audio::DirectSoundDevice::Create(hwnd_);
    m_board.SetSoundDevice(m_directSound.get());
    m_board.NewScheme();
    OpenFirstScheme();
    return true;
}

void CBoardDlg::AttachControls() {
    for (int i = 0; i < kSlotCount; ++i) m_titleDisplays[i].Attach(hwnd_, app::kTitleIds[i]);
    for (int i = 0; i < kSlotCount; ++i) m_timeDisplays[i].Attach(hwnd_, app::kTimeIds[i]);
    for (int i = 0; i < kSlotCount; ++i) m_tenthsDisplays[i].Attach(hwnd_, app::kTenthsIds[i]);
    for (int i = 0; i < kSlotCount; ++i) m_stopButtons[i].Attach(hwnd_, app::kStopIds[i]);
    for (int i = 0; i < kSlotCount; ++i) m_playButtons[i].Attach(hwnd_, app::kPlayIds[i]);
    for (int i = 0; i < kSlotCount; ++i) m_positionSliders[i].Attach(hwnd_, app::kPositionIds[i]);
    for (int i = 0; i < kSlotCount; ++i) m_volumeSliders[i].Attach(hwnd_, app::kVolumeIds[i]);
}

void CBoardDlg::StyleButtons() {
    for (auto& stop : m_stopButtons) {
        stop.gradient = true;
        stop.SetBitmap(IDB_STOP, kKeyColour);
    }
    for (auto& play : m_playButtons) {
        play.gradient = true;
        play.SetButtonType(FooButton::Split);
        play.SetBitmap(IDB_PLAY_IDLE, kKeyColour);
        play.SetTextLayout(FooButton::LeftAligned);
    }
}

void CBoardDlg::OpenFirstScheme() {
    if (!m_commandLine.empty()) {
        // A scheme named on the command line wins; the stored settings are not read.
        scheme::LoadScheme(m_board, SchemeArgument(m_commandLine));
        return;
    }
    const scheme::StartupSettings settings = scheme::ReadStartupSettings();
    if (!settings.lastFile.empty()) scheme::LoadScheme(m_board, settings.lastFile);
    if (settings.hasOnPlay) m_board.m_onPlayMode = settings.onPlay;
}

void CBoardDlg::CloseBoard() {
    scheme::StoreCloseSettings(m_board.m_schemePath, m_board.m_onPlayMode);
    m_board.NewScheme();  // stops and releases every sound before the window goes
    EndDialog(IDOK);
}

void CBoardDlg::SetLedColours(COLORREF on, COLORREF off) {
    m_board.m_ledOnColour = on;
    m_board.m_ledOffColour = off;
    struct Group {
        PerSlot<MatrixStatic>* displays;
        int columns;
        MatrixStatic::CellSize size;
    };
    const Group groups[] = {{&m_titleDisplays, 25, MatrixStatic::Small},
                            {&m_timeDisplays, 6, MatrixStatic::Medium},
                            {&m_tenthsDisplays, 2, MatrixStatic::Small}};
    for (const Group& group : groups) {
        for (MatrixStatic& display : *group.displays) {
            display.SetRows(1);
            display.SetColumns(group.columns);
            display.SetCellSize(group.size);
            display.SetColors(RGB(0, 0, 0), on, off);
            display.FitWidthToColumns(group.columns);
            display.FitHeightToRows(1);
        }
    }
}

void CBoardDlg::PlaceSlotControls(int i, int x, int y, bool compact) {
    const ui::SlotPlacement p = ui::PlaceSlot({x, y}, compact);
    m_tenthsDisplays[i].Show(p.detailsShown);
    m_timeDisplays[i].Show(p.detailsShown);
    m_positionSliders[i].Show(p.detailsShown);
    m_volumeSliders[i].Show(p.detailsShown);
    m_titleDisplays[i].MoveTo(p.title.x, p.title.y);
    m_stopButtons[i].MoveTo(p.stop.x, p.stop.y);
    m_playButtons[i].MoveTo(p.play.x, p.play.y);
    if (!p.detailsShown) return;
    m_timeDisplays[i].MoveTo(p.time.x, p.time.y);
    m_tenthsDisplays[i].MoveTo(p.tenths.x, p.tenths.y);
    m_volumeSliders[i].MoveTo(p.volume.x, p.volume.y);
    m_positionSliders[i].MoveTo(p.position.x, p.position.y);
}

void CBoardDlg::ApplyNormalLayout() { PlaceAllSlots(false); }

void CBoardDlg::ApplyCompactLayout() { PlaceAllSlots(true); }

void CBoardDlg::PlaceAllSlots(bool compact) {
    for (int i = 0; i < kSlotCount; ++i) {
        const ui::Point place = ui::SlotPlace(i, compact);
        PlaceSlotControls(i, place.x, place.y, compact);
    }
    m_board.m_compact = compact;
    Invalidate(true);
    const ui::Size size = ui::WindowSize(compact);
    Resize(size.cx, size.cy);
}

bool CBoardDlg::PreTranslateMessage(MSG& msg) {
    // Slot keys work whichever control has the focus; the standard dialog
    // keyboard interface is deliberately not used in this window.
    if (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd)) return false;
    if (msg.message == WM_KEYDOWN && board::SlotForKey(static_cast<unsigned>(msg.wParam)) >= 0) {
        const bool shiftDown = ::GetAsyncKeyState(VK_SHIFT) < 0;
        return m_board.OnSlotKey(static_cast<unsigned>(msg.wParam), shiftDown);
    }
    if (msg.wParam == VK_CONTROL && (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP))
        m_board.OnControlKey(msg.message == WM_KEYDOWN);
    return false;
}

bool CBoardDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDOK || id == IDCANCEL) return fw::Dialog::OnCommand(id, code, control);
    if (!control) return OnMenuCommand(id);
    if (code != BN_CLICKED) return false;  // STN_CLICKED has the same value
    if (int slot = app::SlotOf(app::kPlayIds, id); slot >= 0) {
        OnPlayClicked(slot);
        return true;
    }
    if (int slot = app::SlotOf(app::kStopIds, id); slot >= 0) {
        m_board.OnStopButton(slot);
        return true;
    }
    if (int slot = app::SlotOf(app::kTimeIds, id); slot >= 0) {
        m_board.OnTimeDisplayClicked(slot);
        return true;
    }
    return false;
}

bool CBoardDlg::OnMenuCommand(int id) {
    if (const ui::Theme* theme = ui::ThemeForCommand(id)) {
        m_board.SetLedColours(theme->on, theme->off);
        return true;
    }
    switch (id) {
    case ID_FILE_NEW: m_board.NewScheme(); return true;
    case ID_FILE_EXIT: CloseBoard(); return true;
    case ID_VIEW_NORMAL: ApplyNormalLayout(); return true;
    case ID_VIEW_COMPACT: ApplyCompactLayout(); return true;
    case ID_HELP_ABOUT: {
        CAboutDlg about;
        about.DoModal(hwnd_);
        return true;
    }
    default: return false;
    }
}

void CBoardDlg::OnPlayClicked(int slot) {
    FooButton& button = m_playButtons[slot];
    if (button.IsDropDownPressed()) {
        // The menu zone: the slot menu opens here; a press there never plays.
        button.ClearDropDownPress();
        return;
    }
    m_board.OnPlayButton(slot);
}

void CBoardDlg::OnTimer(UINT_PTR id) { m_board.OnTimer(static_cast<unsigned>(id)); }

void CBoardDlg::OnPositionScroll(int code, HWND slider) {
    if (code != SB_THUMBPOSITION) return;
    const int slot = SlotOfWindow(m_positionSliders, slider);
    if (slot >= 0) m_board.OnPositionReleased(slot, m_positionSliders[slot].GetPos());
}

void CBoardDlg::OnVolumeScroll(int code, HWND slider) {
    if (code != SB_THUMBTRACK) return;
    const int slot = SlotOfWindow(m_volumeSliders, slider);
    if (slot >= 0) m_board.OnVolumeDragged(slot, m_volumeSliders[slot].GetPos());
}

void CBoardDlg::OnCopyData(const COPYDATASTRUCT* data) {
    if (!data) return;
    m_board.OnRemoteTrigger(data->lpData, data->cbData);
}

void CBoardDlg::OnPaint() {
    if (::IsIconic(hwnd_)) {
        fw::PaintScope paint(hwnd_);
        ::SendMessageA(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.dc()), 0);
        const RECT client = ClientRect();
        const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        ::DrawIcon(paint.dc(), x, y, m_hIcon);
        return;
    }
    fw::PaintScope paint(hwnd_);
    if (m_board.m_compact) return;
    fw::UniquePen pen(::CreatePen(PS_SOLID, 2, m_board.m_ledOffColour));
    fw::UniqueBrush brush(::CreateSolidBrush(RGB(0, 0, 0)));
    fw::ScopedSelect selectPen(paint.dc(), pen.get()), selectBrush(paint.dc(), brush.get());
    for (const MatrixStatic& title : m_titleDisplays) {
        const RECT r = title.RectInParent();
        const ui::Rect frame = ui::SlotFrame({r.left, r.top});
        ::Rectangle(paint.dc(), frame.left, frame.top, frame.right, frame.bottom);
    }
}

bool CBoardDlg::OnMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    switch (msg) {
    case WM_HSCROLL:
        OnPositionScroll(LOWORD(w), reinterpret_cast<HWND>(l));
        return true;
    case WM_VSCROLL:
        OnVolumeScroll(LOWORD(w), reinterpret_cast<HWND>(l));
        return true;
    case WM_COPYDATA:
        OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(l));
        return false;  // default processing: the sender gets 0
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
        result = reinterpret_cast<LRESULT>(m_blackBrush.get());
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(m_hIcon);
        return true;
    case WM_CLOSE:
        CloseBoard();
        return true;
    default:
        return fw::Dialog::OnMessage(msg, w, l, result);
    }
}

// board::IBoardView

void CBoardDlg::SetDisplay(int slot, board::DisplayKind kind, const std::string& text) {
    switch (kind) {
    case board::DisplayKind::Title: m_titleDisplays[slot].SetText(text); break;
    case board::DisplayKind::Time: m_timeDisplays[slot].SetText(text); break;
    case board::DisplayKind::Tenths: m_tenthsDisplays[slot].SetText(text); break;
    }
}

void CBoardDlg::SetPlayImage(int slot, board::PlayImage image) {
    m_playButtons[slot].SetBitmap(static_cast<int>(image), kKeyColour);
}

void CBoardDlg::SetPlayCaption(int slot, const std::string& caption) {
    m_playButtons[slot].SetText(caption);
    m_playButtons[slot].Repaint();
}

void CBoardDlg::SetPlayTextColour(int slot, std::uint32_t colour) {
    m_playButtons[slot].textColour = colour;
    m_playButtons[slot].Repaint();
}

void CBoardDlg::SetPositionRange(int slot, int min, int max) { m_positionSliders[slot].SetRange(min, max, true); }
void CBoardDlg::SetPositionSlider(int slot, int value) { m_positionSliders[slot].SetThumbPosition(value); }
void CBoardDlg::SetVolumeSlider(int slot, int value) { m_volumeSliders[slot].SetThumbPosition(value); }
int CBoardDlg::GetVolumeSlider(int slot) { return m_volumeSliders[slot].GetPos(); }

std::uint32_t CBoardDlg::StartSlotTimer(int slot) {
    return static_cast<std::uint32_t>(::SetTimer(hwnd_, board::kFirstSlotTimerId + slot, board::kTimerPeriodMs, nullptr));
}

void CBoardDlg::StopSlotTimer(int, std::uint32_t handle) { ::KillTimer(hwnd_, handle); }

void CBoardDlg::SetWindowTitle(const std::string& title) { SetText(title); }

void CBoardDlg::ApplyLedColours(std::uint32_t on, std::uint32_t off) {
    SetLedColours(on, off);
    Invalidate(true);
}

void CBoardDlg::ApplyLayout(bool compact) { PlaceAllSlots(compact); }

void CBoardDlg::ShowMessage(const std::string& text) { fw::ShowMessage(hwnd_, text); }
