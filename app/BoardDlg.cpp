#include "app/BoardDlg.h"

#include <shellapi.h>

#include <vector>

#include "app/CommandIds.h"
#include "app/SlotIds.h"
#include "board/RemoteWindow.h"
#include "framework/App.h"
#include "framework/Trace.h"
#include "res/resource.h"
#include "scheme/Scheme.h"
#include "ui/AboutDlg.h"
#include "ui/FileDialog.h"
#include "ui/HotkeysDlg.h"
#include "ui/Layout.h"
#include "ui/OptionsDlg.h"
#include "ui/RemoteControlDlg.h"
#include "ui/RenameDlg.h"

using board::kSlotCount;

namespace {
constexpr COLORREF kKeyColour = RGB(255, 0, 255);
// Posted by the OSC socket while datagrams wait.
constexpr UINT kOscWaitingMessage = WM_APP + 1;
// Posted by the sound device when sounds have finished loading.
constexpr UINT kSoundsLoadedMessage = WM_APP + 2;
// While a hotkey is held: how often its key is looked at, to let it fire
// again once released. Far below a key press's length, far above a tick's cost.
constexpr UINT_PTR kHotkeyPollTimerId = 1300;
constexpr UINT kHotkeyPollMs = 30;

// The first scheme's sounds, read on every core while the window is built.
std::unique_ptr<audio::SoundPrefetch> PrefetchFirstScheme(scheme::ISettingsStore& settings,
                                                          const std::string& commandLine) {
    return std::make_unique<audio::SoundPrefetch>(
        scheme::StoredSoundOutput(settings),
        scheme::ReadSchemeSoundPaths(scheme::FirstSchemePath(settings, commandLine)));
}
}  // namespace

CBoardDlg::CBoardDlg(std::string commandLine)
    : fw::Dialog(IDD_BOARD),
      m_commandLine(std::move(commandLine)),
      m_system(PrefetchFirstScheme(m_settings, m_commandLine)),
      m_controller(*this, *this, m_system, m_settings, remote::Utf8ToAnsi, remote::AnsiToUtf8),
      m_allSoundsMessage(::RegisterWindowMessageA(board::kAllSoundsMessage)),
      m_hIcon(::LoadIconA(fw::App::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {
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
    StyleButtons();
    m_fadeTimer = ::SetTimer(hwnd_, board::kFadeTimerId, board::kTimerPeriodMs, nullptr);
    m_blackBrush.reset(::CreateSolidBrush(RGB(0, 0, 0)));
    ::DragAcceptFiles(hwnd_, TRUE);
    m_system.Attach(hwnd_, kOscWaitingMessage, kSoundsLoadedMessage);
    m_controller.Start(m_commandLine);
    return true;
}

void CBoardDlg::OnDestroy() { m_system.RegisterHotkeys({}); }

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
            m_controller.Perform(*action);
            return true;
        }
    }
    if (msg.wParam == VK_CONTROL) m_controller.ControlKey(msg.message == WM_KEYDOWN);
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
        m_controller.TimeClicked(slot);
        return true;
    }
    if (code != BN_CLICKED) return false;
    if (int slot = app::SlotOf(&app::SlotIds::play, id); slot >= 0) {
        OnPlayClicked(slot);
        return true;
    }
    if (int slot = app::SlotOf(&app::SlotIds::stop, id); slot >= 0) {
        m_controller.StopClicked(slot);
        return true;
    }
    return false;
}

bool CBoardDlg::OnMenuCommand(int id) {
    using app::MenuCommand;
    if (const int theme = app::ThemeFor(id); theme >= 0) {
        m_controller.Menu(MenuCommand::Theme, theme);
        return true;
    }
    if (const int favourite = app::FavouriteFor(id); favourite >= 0) {
        m_controller.Menu(MenuCommand::Favourite, favourite);
        return true;
    }
    if (const auto command = app::MenuCommandFor(id)) {
        m_controller.Menu(*command);
        return true;
    }
    return false;
}

void CBoardDlg::OnPlayClicked(int slot) {
    FooButton& button = Slot(slot).play;
    const bool menuZone = button.IsDropDownPressed();
    m_controller.PlayClicked(slot, menuZone);
    if (menuZone && button.IsValid()) button.ClearDropDownPress();
}

void CBoardDlg::OnTimer(UINT_PTR id) {
    if (id == kHotkeyPollTimerId) return OnHotkeyPoll();
    if (id == board::kFadeTimerId) return OnFadeTick();
    m_controller.Timer(static_cast<unsigned>(id), remote::NowMs());
}

void CBoardDlg::OnFadeTick() {
    fw::trace::Stamp("tick");
    for (const remote::Datagram& datagram : m_controller.Timer(board::kFadeTimerId, remote::NowMs()))
        m_system.Send(datagram);
}

void CBoardDlg::OnHotkey(WPARAM id) {
    const int index = app::HotkeyFor(id);
    if (index < 0) return;
    m_controller.Hotkey(index);
    if (!m_hotkeyPolling && m_controller.HotkeyHeld(index))
        m_hotkeyPolling = ::SetTimer(hwnd_, kHotkeyPollTimerId, kHotkeyPollMs, nullptr) != 0;
}

void CBoardDlg::OnHotkeyPoll() {
    bool held = false;
    const board::Hotkeys& hotkeys = m_controller.hotkeys().hotkeys();
    for (int i = 0; i < board::kHotkeyCount; ++i) {
        if (!m_controller.HotkeyHeld(i)) continue;
        if (m_system.IsHotkeyReleased(hotkeys[static_cast<size_t>(i)]))
            m_controller.HotkeyReleased(i);
        else
            held = true;
    }
    if (held) return;
    ::KillTimer(hwnd_, kHotkeyPollTimerId);
    m_hotkeyPolling = false;
}

void CBoardDlg::OnOscWaiting(WPARAM socket) {
    m_system.ReadDatagrams(socket, [this](const char* bytes, std::size_t size, const remote::Endpoint& from) {
        m_controller.Datagram(bytes, size, from, remote::NowMs());
    });
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
    if (slot >= 0) m_controller.PositionReleased(slot, Slot(slot).position.GetPos());
}

void CBoardDlg::OnVolumeScroll(int code, HWND slider) {
    if (code == SB_ENDSCROLL) return;
    const int slot = SlotOfSlider(slider, true);
    if (slot >= 0) m_controller.VolumeMoved(slot, Slot(slot).volume.GetPos(), code == SB_THUMBTRACK);
}

void CBoardDlg::OnCopyData(const COPYDATASTRUCT* data) {
    if (!data) return;
    m_controller.Perform(board::NameAction(data->lpData, data->cbData));
}

void CBoardDlg::OnAllSounds(WPARAM action) {
    if (action == board::FadeAllSounds)
        m_controller.Perform({board::Action::FadeAll});
    else if (action == board::StopAllSounds)
        m_controller.Perform({board::Action::StopAll});
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
    m_controller.Drop(ui::SlotAt({at.x, at.y}, Board().compact()), paths);
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
    if (Board().compact()) return;
    fw::UniquePen pen(::CreatePen(PS_SOLID, 2, Board().ledOffColour()));
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
        m_controller.Close();
        return true;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(w));
        return true;
    case WM_HOTKEY:
        OnHotkey(w);
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
        if (msg == kSoundsLoadedMessage) {
            m_controller.LoadsFinished();
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

void CBoardDlg::SetVolumeSlider(int slot, int value) { Slot(slot).volume.SetThumbPosition(value); }

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

// scheme::IUserDialogs

void CBoardDlg::ShowMessage(const std::string& text) { fw::ShowMessage(hwnd_, text); }

bool CBoardDlg::AskYesNo(const std::string& question) {
    return fw::ShowMessage(hwnd_, question, MB_YESNO) == IDYES;
}

std::optional<std::string> CBoardDlg::ChooseFile(scheme::FileKind kind, const std::string& initialName) {
    CFileDialogEx dialog(true, nullptr, initialName, OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
                         kind == scheme::FileKind::Scheme ? kSchemeFilter : kSoundFilter);
    if (dialog.DoModal() != IDOK) return std::nullopt;
    return dialog.GetPathName();
}

scheme::SlotCommand CBoardDlg::TrackSlotMenu(int slot, bool loopChecked, bool prelistening, bool canPrelisten) {
    fw::UniqueMenu menu(::LoadMenuA(fw::App::Instance(), MAKEINTRESOURCEA(IDR_SLOTMENU)));
    HMENU popup = menu ? ::GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return scheme::SlotCommand::None;
    if (loopChecked) ::CheckMenuItem(popup, ID_SLOT_LOOP, MF_BYCOMMAND | MF_CHECKED);
    if (prelistening) ::CheckMenuItem(popup, ID_SLOT_PRELISTEN, MF_BYCOMMAND | MF_CHECKED);
    if (!canPrelisten) ::EnableMenuItem(popup, ID_SLOT_PRELISTEN, MF_BYCOMMAND | MF_GRAYED);
    return app::SlotCommandFor(Slot(slot).play.TrackMenu(popup));
}

bool CBoardDlg::EditName(std::string& name) {
    CRenameDlg dialog;
    dialog.m_name = name;
    if (dialog.DoModal(hwnd_) != IDOK) return false;
    name = dialog.m_name;
    return true;
}

bool CBoardDlg::EditOptions(scheme::Favourites& favourites, int& onPlayMode, std::string& soundOutput,
                            scheme::MonitorChoice& monitor) {
    COptionsDlg dialog;
    dialog.m_favourites = favourites;
    dialog.m_onPlayMode = onPlayMode;
    dialog.m_soundOutput = soundOutput;
    dialog.m_monitor = monitor;
    if (dialog.DoModal(hwnd_) != IDOK) return false;
    favourites = dialog.m_favourites;
    onPlayMode = dialog.m_onPlayMode;
    soundOutput = dialog.m_soundOutput;
    monitor = dialog.m_monitor;
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

bool CBoardDlg::EditRemoteControl(scheme::RemoteSettings& settings) {
    CRemoteControlDlg dialog;
    dialog.m_settings = settings;
    if (dialog.DoModal(hwnd_) != IDOK) return false;
    settings = dialog.m_settings;
    return true;
}

void CBoardDlg::ShowAbout() {
    CAboutDlg about;
    about.DoModal(hwnd_);
}

void CBoardDlg::ShowFavouriteCaptions(const scheme::Favourites& captions) {
    HMENU schemes = ::GetSubMenu(::GetMenu(hwnd_), 2);
    if (!schemes) return;
    for (int i = 0; i < board::kFavouriteCount; ++i)
        ::ModifyMenuA(schemes, static_cast<UINT>(i), MF_BYPOSITION | MF_STRING,
                      static_cast<UINT_PTR>(app::kFavouriteCommandIds[i]), captions[static_cast<size_t>(i)].c_str());
    // Only the drop-down changed, which is drawn afresh when opened: the bar
    // itself needs no redraw (which would recompute the whole window's frame).
}
