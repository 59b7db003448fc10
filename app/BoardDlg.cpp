#include "app/BoardDlg.h"

#include <shellapi.h>

#include <vector>

#include "app/CommandIds.h"
#include "ui/HotkeysDlg.h"
#include "app/RemoteMessage.h"
#include "app/SlotIds.h"
#include "framework/App.h"
#include "framework/Trace.h"
#include "res/resource.h"
#include "ui/OptionsDlg.h"
#include "ui/RenameDlg.h"
#include "scheme/Scheme.h"
#include "ui/AboutDlg.h"
#include "ui/FileDialog.h"
#include "ui/Layout.h"
#include "ui/RemoteControlDlg.h"
#include "ui/Themes.h"

using board::kSlotCount;

namespace {
constexpr COLORREF kKeyColour = RGB(255, 0, 255);
// Posted by the OSC socket while datagrams wait.
constexpr UINT kOscWaitingMessage = WM_APP + 1;

}  // namespace

CBoardDlg::CBoardDlg(std::string commandLine)
    : fw::Dialog(IDD_BOARD),
      m_board(*this, nullptr),
      m_preferences(m_board, *this, m_settings),
      m_hotkeys(m_board, *this, m_settings),
      m_files(m_board, *this, m_settings, m_preferences),
      m_slotEditing(m_board, *this),
      m_actions(m_board, m_files),
      m_remoteSettings(m_board, *this, m_settings),
      m_remote([this](const board::Action& action) { m_actions.Perform(action); }, remote::Utf8ToAnsi,
               remote::AnsiToUtf8),
      m_commandLine(std::move(commandLine)),
      m_allSoundsMessage(::RegisterWindowMessageA(app::kAllSoundsMessage)),
      m_hIcon(::LoadIconA(fw::App::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {
    m_prefetch = std::make_unique<audio::SoundPrefetch>(
        scheme::StoredSoundOutput(m_settings),
        scheme::ReadSchemeSoundPaths(scheme::FirstSchemePath(m_settings, m_commandLine)));
    RegisterControlClasses();
}

bool CBoardDlg::RegisterControlClasses() {
    // A tick draws its changes through GetDC: with a device context of their
    // own, the displays and sliders keep it between ticks. The classes keep
    // their standard names, which screen readers and scripts go by.
    const bool statics = fw::Control::RegisterOwnDcClass("Static");
    const bool trackBars = fw::Control::RegisterOwnDcClass(TRACKBAR_CLASSA);
    return statics && trackBars;
}

CBoardDlg::~CBoardDlg() = default;

bool CBoardDlg::OnInitDialog() {
    ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    AttachControls();
    for (SlotControls& slot : m_slots) slot.volume.SetRange(0, board::kVolumeRange, false);
    constexpr unsigned kPositionChannelFlags =
        CZipSliderCtl::ChannelCentred | CZipSliderCtl::ChannelStretched | CZipSliderCtl::ChannelInset;
    for (SlotControls& slot : m_slots) {
        slot.position.SetBitmaps(IDB_SLIDER_CHANNEL, IDB_SLIDER_THUMB, IDB_SLIDER_THUMB_ACTIVE, kPositionChannelFlags);
        slot.volume.SetBitmaps(IDB_SLIDER_VCHANNEL, IDB_SLIDER_THUMB, IDB_SLIDER_THUMB_ACTIVE, 0);
    }
    m_board.SetLedColours(board::kLedOnGreen, board::kLedOffGreen);
    StyleButtons();
    m_preferences.LoadFavourites();
    m_board.SetSchemePath("");
    m_board.SetLayout(false);
    m_fadeTimer = ::SetTimer(hwnd_, board::kFadeTimerId, board::kTimerPeriodMs, nullptr);
    m_blackBrush.reset(::CreateSolidBrush(RGB(0, 0, 0)));
    audio::SoundError error = audio::SoundError::None;
    m_directSound = audio::DirectSoundDevice::Create(hwnd_, m_preferences.ReadSoundOutput(), audio::OutputChoice::OrDefault,
                                                     error, std::move(m_prefetch));
    m_board.Report(error);
    m_board.SetSoundDevice(m_directSound.get());
    ::DragAcceptFiles(hwnd_, TRUE);
    m_files.NewScheme();
    m_files.OpenFirstScheme(m_commandLine);
    if (m_directSound) m_directSound->EndPrefetch();
    m_remoteSettings.ApplyStored();
    // Last, so that a message about refused hotkeys names the slots' sounds.
    m_hotkeys.Load();
    return true;
}

void CBoardDlg::OnDestroy() { RegisterHotkeys({}); }

void CBoardDlg::AttachControls() {
    for (int i = 0; i < kSlotCount; ++i) {
        const app::SlotIds& ids = app::kSlotIds[i];
        SlotControls& slot = Slot(i);
        slot.title.Attach(hwnd_, ids.title);
        slot.time.Attach(hwnd_, ids.time);
        slot.tenths.Attach(hwnd_, ids.tenths);
        slot.stop.Attach(hwnd_, ids.stop);
        slot.play.Attach(hwnd_, ids.play);
        slot.position.Attach(hwnd_, ids.position);
        slot.volume.Attach(hwnd_, ids.volume);
    }
}

void CBoardDlg::StyleButtons() {
    for (SlotControls& slot : m_slots) {
        slot.stop.gradient = true;
        slot.stop.SetBitmap(IDB_STOP, kKeyColour);
    }
    for (SlotControls& slot : m_slots) {
        slot.play.gradient = true;
        slot.play.SetButtonType(FooButton::Split);
        slot.play.SetBitmap(IDB_PLAY_IDLE, kKeyColour);
        slot.play.SetTextLayout(FooButton::LeftAligned);
    }
}

void CBoardDlg::SetUpDisplays(COLORREF on, COLORREF off) {
    struct Group {
        MatrixStatic SlotControls::*display;
        int columns;
        MatrixStatic::CellSize size;
    };
    const Group groups[] = {{&SlotControls::title, 25, MatrixStatic::Small},
                            {&SlotControls::time, 6, MatrixStatic::Medium},
                            {&SlotControls::tenths, 2, MatrixStatic::Small}};
    for (const Group& group : groups) {
        for (SlotControls& slot : m_slots) {
            MatrixStatic& display = slot.*group.display;
            display.SetRows(1);
            display.SetColumns(group.columns);
            display.SetCellSize(group.size);
            display.SetColors(RGB(0, 0, 0), on, off);
            display.FitToColumnsAndRows(group.columns, 1);
        }
    }
}

void CBoardDlg::PlaceSlotControls(int i, int x, int y, bool compact) {
    const ui::SlotPlacement p = ui::PlaceSlot({x, y}, compact);
    SlotControls& slot = Slot(i);
    slot.tenths.Show(p.detailsShown);
    slot.time.Show(p.detailsShown);
    slot.position.Show(p.detailsShown);
    slot.volume.Show(p.detailsShown);
    slot.title.MoveTo(p.title.x, p.title.y);
    slot.stop.MoveTo(p.stop.x, p.stop.y);
    slot.play.MoveTo(p.play.x, p.play.y);
    if (!p.detailsShown) return;
    slot.time.MoveTo(p.time.x, p.time.y);
    slot.tenths.MoveTo(p.tenths.x, p.tenths.y);
    slot.volume.MoveTo(p.volume.x, p.volume.y);
    slot.position.MoveTo(p.position.x, p.position.y);
}

void CBoardDlg::PlaceAllSlots(bool compact) {
    for (int i = 0; i < kSlotCount; ++i) {
        const ui::Point place = ui::SlotPlace(i, compact);
        PlaceSlotControls(i, place.x, place.y, compact);
    }
    Invalidate(true);
    const ui::Size size = ui::WindowSize(compact);
    Resize(size.cx, size.cy);
}

bool CBoardDlg::PreTranslateMessage(MSG& msg) {
    // Slot keys work whichever control has the focus; the standard dialog
    // keyboard interface is deliberately not used in this window. Only key
    // messages are looked at: the window check costs a server request.
    if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) return false;
    if (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd)) return false;
    if (msg.message == WM_KEYDOWN) {
        if (const auto action = board::KeyAction(static_cast<unsigned>(msg.wParam), ::GetAsyncKeyState(VK_SHIFT) < 0)) {
            m_actions.Perform(*action);
            return true;
        }
    }
    if (msg.wParam == VK_CONTROL && (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP))
        m_board.OnControlKey(msg.message == WM_KEYDOWN);
    return false;
}

bool CBoardDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDOK || id == IDCANCEL) return fw::Dialog::OnCommand(id, code, control);
    if (!control) return OnMenuCommand(id);
    return OnSlotCommand(id, code);
}

bool CBoardDlg::OnSlotCommand(int id, int code) {
    // A second quick click on a time display arrives as a double-click; it
    // counts as a click. (STN_CLICKED has the value of BN_CLICKED.)
    if (int slot = app::SlotOf(&app::SlotIds::time, id); slot >= 0) {
        if (code != STN_CLICKED && code != STN_DBLCLK) return false;
        m_board.OnTimeDisplayClicked(slot);
        return true;
    }
    if (code != BN_CLICKED) return false;
    if (int slot = app::SlotOf(&app::SlotIds::play, id); slot >= 0) {
        OnPlayClicked(slot);
        return true;
    }
    if (int slot = app::SlotOf(&app::SlotIds::stop, id); slot >= 0) {
        m_board.OnStopButton(slot);
        return true;
    }
    return false;
}

bool CBoardDlg::OnMenuCommand(int id) {
    if (const int theme = app::ThemeFor(id); theme >= 0) {
        m_board.SetLedColours(ui::kThemes[theme].on, ui::kThemes[theme].off);
        return true;
    }
    if (const int favourite = app::FavouriteFor(id); favourite >= 0) {
        m_files.OpenFavourite(favourite);
        return true;
    }
    switch (id) {
    case ID_FILE_NEW: m_files.NewScheme(); return true;
    case ID_FILE_OPEN: m_files.Open(); return true;
    case ID_FILE_SAVE: m_files.Save(); return true;
    case ID_FILE_SAVE_AS: m_files.SaveSchemeAs(); return true;
    case ID_FILE_EXIT: CloseBoard(); return true;
    case ID_VIEW_NORMAL: m_board.SetLayout(false); return true;
    case ID_VIEW_COMPACT: m_board.SetLayout(true); return true;
    case ID_TOOLS_OPTIONS: m_preferences.Options(); return true;
    case ID_TOOLS_HOTKEYS: m_hotkeys.Edit(); return true;
    case ID_TOOLS_STOP_ALL: m_actions.Perform({board::Action::StopAll}); return true;
    case ID_TOOLS_REMOTE_CONTROL: m_remoteSettings.Edit(); return true;
    case ID_HELP_ABOUT: {
        CAboutDlg about;
        about.DoModal(hwnd_);
        return true;
    }
    default: return false;
    }
}

void CBoardDlg::OnPlayClicked(int slot) {
    FooButton& button = Slot(slot).play;
    if (!button.IsDropDownPressed()) {
        m_board.OnPlayButton(slot);
        return;
    }
    // The menu zone opens the slot menu; a press there never plays.
    m_slotEditing.SlotMenu(slot);
    if (button.IsValid()) button.ClearDropDownPress();
}

void CBoardDlg::OnTimer(UINT_PTR id) {
    m_board.OnTimer(static_cast<unsigned>(id));
    if (id != board::kFadeTimerId) return;
    fw::trace::Stamp("tick");
    DrawDueVolumeSliders();
    // The feedback rides on the fade tick: no timer of its own wakes the thread.
    if (m_oscSocket.IsOpen()) SendFeedback();
}

void CBoardDlg::OnOscWaiting(WPARAM socket) {
    m_oscSocket.ReadAll(socket, [this](const char* bytes, std::size_t size, const remote::Endpoint& from) {
        m_remote.Receive(bytes, size, from, remote::NowMs());
    });
}

void CBoardDlg::SendFeedback() {
    for (const remote::Datagram& datagram : m_remote.Tick(m_board, remote::NowMs())) m_oscSocket.Send(datagram);
}

int CBoardDlg::SlotOfSlider(HWND slider, bool volume) const {
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotControls& slot = m_slots[static_cast<size_t>(i)];
        if ((volume ? slot.volume : slot.position).hwnd() == slider) return i;
    }
    return -1;
}

void CBoardDlg::OnPositionScroll(int code, HWND slider) {
    if (code != SB_THUMBPOSITION) return;
    const int slot = SlotOfSlider(slider, false);
    if (slot >= 0) m_board.OnPositionReleased(slot, Slot(slot).position.GetPos());
}

void CBoardDlg::OnVolumeScroll(int code, HWND slider) {
    if (code == SB_ENDSCROLL) return;
    const int slot = SlotOfSlider(slider, true);
    if (slot < 0) return;
    m_volumeDue[static_cast<size_t>(slot)].reset();  // the hand on the slider wins
    m_board.OnVolumeSliderMoved(slot, Slot(slot).volume.GetPos(), code == SB_THUMBTRACK);
}

void CBoardDlg::OnCopyData(const COPYDATASTRUCT* data) {
    if (!data) return;
    m_actions.Perform(board::NameAction(data->lpData, data->cbData));
}

void CBoardDlg::OnAllSounds(WPARAM action) {
    if (action == app::FadeAllSounds)
        m_actions.Perform({board::Action::FadeAll});
    else if (action == app::StopAllSounds)
        m_actions.Perform({board::Action::StopAll});
}

void CBoardDlg::OnDropFiles(HDROP drop) {
    POINT at{};
    ::DragQueryPoint(drop, &at);  // client coordinates of this window
    std::vector<std::string> paths;
    const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::string path(::DragQueryFileA(drop, i, nullptr, 0), '\0');
        ::DragQueryFileA(drop, i, &path[0], static_cast<UINT>(path.size() + 1));
        paths.push_back(path);
    }
    ::DragFinish(drop);
    m_slotEditing.DropFiles(ui::SlotAt({at.x, at.y}, m_board.compact()), paths);
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
    if (m_board.compact()) return;
    fw::UniquePen pen(::CreatePen(PS_SOLID, 2, m_board.ledOffColour()));
    fw::UniqueBrush brush(::CreateSolidBrush(RGB(0, 0, 0)));
    fw::ScopedSelect selectPen(paint.dc(), pen.get()), selectBrush(paint.dc(), brush.get());
    for (const SlotControls& slot : m_slots) {
        const RECT r = slot.title.RectInParent();
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
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(w));
        return true;
    case WM_HOTKEY:
        if (const int index = app::HotkeyFor(w); index >= 0) m_actions.Perform(board::HotkeyAction(index));
        return true;
    default:
        if (msg == m_allSoundsMessage) {
            OnAllSounds(w);
            return true;
        }
        if (msg == kOscWaitingMessage) {
            OnOscWaiting(w);
            return true;
        }
        return fw::Dialog::OnMessage(msg, w, l, result);
    }
}

// board::IBoardView

void CBoardDlg::SetDisplay(int slot, board::DisplayKind kind, const std::string& text) {
    switch (kind) {
    case board::DisplayKind::Title: Slot(slot).title.SetText(text); break;
    case board::DisplayKind::Time: Slot(slot).time.SetText(text); break;
    case board::DisplayKind::Tenths: Slot(slot).tenths.SetText(text); break;
    }
}

void CBoardDlg::SetPlayImage(int slot, board::PlayImage image) {
    Slot(slot).play.SetBitmap(app::BitmapOf(image), kKeyColour);
}

void CBoardDlg::SetPlayCaption(int slot, const std::string& caption) {
    Slot(slot).play.SetText(caption);
    Slot(slot).play.Repaint();
}

void CBoardDlg::SetPlayTextColour(int slot, std::uint32_t colour) {
    Slot(slot).play.textColour = colour;
    Slot(slot).play.Repaint();
}

void CBoardDlg::SetPositionRange(int slot, int min, int max) { Slot(slot).position.SetRange(min, max, true); }

void CBoardDlg::SetPositionSlider(int slot, int value) {
    // While the user holds the thumb it stays under the hand: letting go
    // seeks to where it was let go, not to where a tick put it.
    CZipSliderCtl& slider = Slot(slot).position;
    if (!slider.IsDragging()) slider.SetThumbPosition(value);
}

void CBoardDlg::SetVolumeSlider(int slot, int value) {
    const auto i = static_cast<size_t>(slot);
    const bool moving = m_volumeMovedThisTick[i] || m_volumeMovedLastTick[i];
    m_volumeMovedThisTick[i] = true;
    if (moving) {
        m_volumeDue[i] = value;
        return;
    }
    m_volumeDue[i].reset();
    Slot(slot).volume.SetThumbPosition(value);
}

void CBoardDlg::DrawDueVolumeSliders() {
    for (int i = 0; i < kSlotCount; ++i) {
        auto& due = m_volumeDue[static_cast<size_t>(i)];
        if (due) Slot(i).volume.SetThumbPosition(*due);
        due.reset();
    }
    m_volumeMovedLastTick = m_volumeMovedThisTick;
    m_volumeMovedThisTick.fill(false);
}

std::uint32_t CBoardDlg::StartSlotTimer(int slot) {
    return static_cast<std::uint32_t>(::SetTimer(hwnd_, board::kFirstSlotTimerId + slot, board::kTimerPeriodMs, nullptr));
}

void CBoardDlg::StopSlotTimer(int, std::uint32_t handle) { ::KillTimer(hwnd_, handle); }

void CBoardDlg::SetWindowTitle(const std::string& title) { SetText(title); }

void CBoardDlg::ApplyLedColours(std::uint32_t on, std::uint32_t off) {
    SetUpDisplays(on, off);
    Invalidate(true);
}

void CBoardDlg::ApplyLayout(bool compact) { PlaceAllSlots(compact); }

void CBoardDlg::ShowMessage(const std::string& text) { fw::ShowMessage(hwnd_, text); }

// scheme::ICommandHost

std::optional<std::string> CBoardDlg::ChooseFile(scheme::FileKind kind, const std::string& initialName) {
    CFileDialogEx dialog(true, nullptr, initialName, OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
                         kind == scheme::FileKind::Scheme ? kSchemeFilter : kSoundFilter);
    if (dialog.DoModal() != IDOK) return std::nullopt;
    return dialog.GetPathName();
}

bool CBoardDlg::AskYesNo(const std::string& question) {
    return fw::ShowMessage(hwnd_, question, MB_YESNO) == IDYES;
}

scheme::SlotCommand CBoardDlg::TrackSlotMenu(int slot, bool loopChecked) {
    fw::UniqueMenu menu(::LoadMenuA(fw::App::Instance(), MAKEINTRESOURCEA(IDR_SLOTMENU)));
    HMENU popup = menu ? ::GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return scheme::SlotCommand::None;
    if (loopChecked) ::CheckMenuItem(popup, ID_SLOT_LOOP, MF_BYCOMMAND | MF_CHECKED);
    return app::SlotCommandFor(Slot(slot).play.TrackMenu(popup));
}

bool CBoardDlg::EditName(std::string& name) {
    CRenameDlg dialog;
    dialog.m_name = name;
    if (dialog.DoModal(hwnd_) != IDOK) return false;
    name = dialog.m_name;
    return true;
}

bool CBoardDlg::EditOptions(scheme::Favourites& favourites, int& onPlayMode, std::string& soundOutput) {
    COptionsDlg dialog;
    dialog.m_favourites = favourites;
    dialog.m_onPlayMode = onPlayMode;
    dialog.m_soundOutput = soundOutput;
    if (dialog.DoModal(hwnd_) != IDOK) return false;
    favourites = dialog.m_favourites;
    onPlayMode = dialog.m_onPlayMode;
    soundOutput = dialog.m_soundOutput;
    return true;
}

bool CBoardDlg::UseSoundOutput(const std::string& soundOutput) {
    audio::SoundError error = audio::SoundError::None;
    auto device = audio::DirectSoundDevice::Create(hwnd_, soundOutput, audio::OutputChoice::Exactly, error);
    if (!device) {
        m_board.Report(audio::SoundError::OutputUnavailable);
        return false;
    }
    m_board.Report(error);
    if (!m_board.MoveToDevice(device.get())) return false;  // said; the new device goes unused
    // The old device goes only after every buffer made on it has been released.
    m_directSound = std::move(device);
    return true;
}

bool CBoardDlg::EditHotkeys(board::Hotkeys& hotkeys, const std::array<std::string, board::kHotkeyCount>& owners) {
    CHotkeysDlg dialog;
    dialog.m_hotkeys = hotkeys;
    dialog.m_owners = owners;
    if (dialog.DoModal(hwnd_) != IDOK) return false;
    hotkeys = dialog.m_hotkeys;
    return true;
}

std::vector<int> CBoardDlg::RegisterHotkeys(const board::Hotkeys& hotkeys) {
    for (int i = 0; i < board::kHotkeyCount; ++i) ::UnregisterHotKey(hwnd_, app::HotkeyIdOf(i));
    std::vector<int> refused;
    for (int i = 0; i < board::kHotkeyCount; ++i) {
        const std::uint16_t hotkey = hotkeys[static_cast<size_t>(i)];
        const UINT modifiers = board::HotkeyModifiers(hotkey);
        if (hotkey && !::RegisterHotKey(hwnd_, app::HotkeyIdOf(i), modifiers, board::HotkeyKey(hotkey)))
            refused.push_back(i);
    }
    return refused;
}

void CBoardDlg::ShowFavouriteCaptions(const scheme::Favourites& captions) {
    HMENU schemes = ::GetSubMenu(::GetMenu(hwnd_), 2);
    if (!schemes) return;
    for (int i = 0; i < scheme::kFavouriteCount; ++i)
        ::ModifyMenuA(schemes, static_cast<UINT>(i), MF_BYPOSITION | MF_STRING,
                      static_cast<UINT_PTR>(app::kFavouriteCommandIds[i]), captions[static_cast<size_t>(i)].c_str());
    // Only the drop-down changed, which is drawn afresh when opened: the bar
    // itself needs no redraw (which would recompute the whole window's frame).
}

bool CBoardDlg::IsShiftDown() { return ::GetAsyncKeyState(VK_SHIFT) < 0; }

void CBoardDlg::StartProgramCopy(const std::string& arguments) {
    // The copy's start is not watched: a failure leaves this board as it is.
    const std::string program = scheme::GetProgramPath(::GetCommandLineA());
    ::ShellExecuteA(hwnd_, "open", program.c_str(), arguments.c_str(), nullptr, SW_SHOWNORMAL);
}

bool CBoardDlg::EditRemoteControl(scheme::RemoteSettings& settings) {
    CRemoteControlDlg dialog;
    dialog.m_settings = settings;
    if (dialog.DoModal(hwnd_) != IDOK) return false;
    settings = dialog.m_settings;
    return true;
}

std::string CBoardDlg::UseRemoteControl(const scheme::RemoteSettings& settings) {
    m_oscSocket.Close();
    if (!settings.on) return {};
    return m_oscSocket.Open(hwnd_, kOscWaitingMessage, settings.port, settings.fromNetwork);
}
