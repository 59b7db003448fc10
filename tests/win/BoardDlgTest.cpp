// The main window as a user sees it: where each slot's controls stand in
// both layouts, the slot frames, the themes, and the menu commands.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <shlobj.h>

#include <cstring>
#include <new>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

#include "ControlHost.h"
#include "WinTestSupport.h"
#include "audio/SoundDecoders.h"
#include "app/BoardDlg.h"
#include "app/SlotIds.h"
#include "framework/App.h"
#include "framework/Registry.h"
#include "res/resource.h"
#include "scheme/Scheme.h"
#include "ui/AboutDlg.h"

namespace {

using wintest::Capture;

SIZE SizeOf(HWND window) {
    RECT r;
    ::GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

RECT RectOf(HWND control) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

POINT PlaceOf(HWND control) {
    const RECT r = RectOf(control);
    return {r.left, r.top};
}

// The seven controls of a slot with the class the dialog template gives each.
std::vector<std::pair<int, const char*>> SlotControlClasses(int slot) {
    const app::SlotIds& ids = app::kSlotIds[slot];
    return {{ids.title, "Static"},  {ids.time, "Static"},          {ids.tenths, "Static"},
            {ids.stop, "Button"},   {ids.play, "Button"},          {ids.position, TRACKBAR_CLASSA},
            {ids.volume, TRACKBAR_CLASSA}};
}

// Every display has the size its two fits give (frameless: 25 small, 6
// medium and 2 small columns), and no two shown controls overlap.
void ExpectDisplaySizesAndNoOverlap(HWND board) {
    std::vector<std::pair<int, RECT>> shown;
    for (int i = 0; i < board::kSlotCount; ++i) {
        const app::SlotIds& ids = app::kSlotIds[i];
        const struct {
            int id, cx, cy;
        } displays[] = {{ids.title, 283, 19}, {ids.time, 104, 26}, {ids.tenths, 30, 19}};
        for (const auto& d : displays) {
            const SIZE size = SizeOf(::GetDlgItem(board, d.id));
            EXPECT_EQ(size.cx, d.cx) << "slot " << i << " id " << d.id;
            EXPECT_EQ(size.cy, d.cy) << "slot " << i << " id " << d.id;
        }
        for (const auto& control : SlotControlClasses(i)) {
            HWND item = ::GetDlgItem(board, control.first);
            if (::IsWindowVisible(item)) shown.emplace_back(control.first, RectOf(item));
        }
    }
    for (size_t a = 0; a < shown.size(); ++a)
        for (size_t b = a + 1; b < shown.size(); ++b) {
            RECT both;
            EXPECT_FALSE(::IntersectRect(&both, &shown[a].second, &shown[b].second))
                << "controls " << shown[a].first << " and " << shown[b].first << " overlap";
        }
}

bool Contains(const Capture& c, COLORREF colour) {
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (c.at(x, y) == colour) return true;
    return false;
}

class BoardDlgTest : public testing::Test {
protected:
    void SetUp() override {
        // No last scheme from an earlier run: the board starts empty.
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Marrowick\\Clangster");
        ASSERT_TRUE(board_.Create());
        ::ShowWindow(board_.hwnd(), SW_SHOW);
        ::SetWindowPos(board_.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
        wintest::Pump(300);
    }
    void Command(int id) {
        ::SendMessageA(board_.hwnd(), WM_COMMAND, static_cast<WPARAM>(id), 0);
        wintest::Pump(200);
    }
    HWND Item(int id) const { return ::GetDlgItem(board_.hwnd(), id); }

    wintest::RecordedMessages messages_;
    CBoardDlg board_{""};
};

// A tick draws through GetDC; the controls it draws each keep one device
// context, so it is not set up again at every tick. (Their classes keep the
// standard names: NormalLayoutPutsEverySlotInItsCell.)
TEST_F(BoardDlgTest, TheControlsATickDrawsKeepADeviceContextOfTheirOwn) {
    for (int i : {0, board::kSlotCount - 1}) {
        const app::SlotIds& ids = app::kSlotIds[i];
        for (int id : {ids.time, ids.tenths, ids.position}) {
            SCOPED_TRACE(testing::Message() << "slot " << i << " id " << id);
            HWND item = Item(id);
            ASSERT_TRUE(item);
            EXPECT_TRUE(::GetClassLongPtrA(item, GCL_STYLE) & CS_OWNDC);
            // A shared device context forgets its settings when it is released; an own one keeps them.
            HDC dc = ::GetDC(item);
            const COLORREF before = ::SetBkColor(dc, RGB(1, 2, 3));
            ::ReleaseDC(item, dc);
            dc = ::GetDC(item);
            EXPECT_EQ(::GetBkColor(dc), RGB(1, 2, 3));
            ::SetBkColor(dc, before);
            ::ReleaseDC(item, dc);
        }
    }
}

TEST_F(BoardDlgTest, StartsAsAnEmptyNewSchemeInTheNormalLayout) {
    EXPECT_EQ(board_.Text(), "New scheme - Clangster");
    EXPECT_TRUE(messages_.texts().empty());
    const SIZE size = SizeOf(board_.hwnd());
    EXPECT_EQ(size.cx, 1075);
    EXPECT_EQ(size.cy, 655);
    EXPECT_EQ(board_.Board().onPlayMode(), board::FadeOthers);
}

TEST_F(BoardDlgTest, NormalLayoutPutsEverySlotInItsCell) {
    for (int i = 0; i < board::kSlotCount; ++i) {
        const int x = 10 + 355 * (i / 6), y = i % 6 == 0 ? 8 : 10 + 100 * (i % 6);
        SCOPED_TRACE(i);
        EXPECT_EQ(PlaceOf(Item(app::kSlotIds[i].title)).x, x + 10);
        EXPECT_EQ(PlaceOf(Item(app::kSlotIds[i].title)).y, y + 13);
        EXPECT_EQ(PlaceOf(Item(app::kSlotIds[i].stop)).x, x + 12);
        EXPECT_EQ(PlaceOf(Item(app::kSlotIds[i].play)).x, x + 42);
        EXPECT_EQ(PlaceOf(Item(app::kSlotIds[i].time)).y, y + 35);
        EXPECT_EQ(PlaceOf(Item(app::kSlotIds[i].tenths)).x, x + 260);
        EXPECT_EQ(PlaceOf(Item(app::kSlotIds[i].volume)).x, x + 305);
        EXPECT_EQ(PlaceOf(Item(app::kSlotIds[i].position)).y, y + 70);
    }
    EXPECT_EQ(PlaceOf(Item(app::kSlotIds[17].title)).x, 730);
    EXPECT_EQ(PlaceOf(Item(app::kSlotIds[17].title)).y, 523);
    ExpectDisplaySizesAndNoOverlap(board_.hwnd());
    // What screen readers and scripts go by: every slot control keeps its standard class.
    for (int i = 0; i < board::kSlotCount; ++i)
        for (const auto& [id, cls] : SlotControlClasses(i)) {
            char name[64] = {};
            ::GetClassNameA(Item(id), name, sizeof name);
            EXPECT_STRCASEEQ(name, cls) << "slot " << i << " id " << id;
        }
}

TEST_F(BoardDlgTest, CompactLayoutIsOneColumnAndHidesTheDetailsWithoutLosingThem) {
    ::SetWindowTextA(Item(app::kSlotIds[4].time), "kept");
    Command(ID_VIEW_COMPACT);
    EXPECT_TRUE(board_.Board().compact());
    const SIZE size = SizeOf(board_.hwnd());
    EXPECT_EQ(size.cx, 440);
    EXPECT_EQ(size.cy, 600);
    EXPECT_EQ(PlaceOf(Item(app::kSlotIds[17].title)).x, 145);
    EXPECT_EQ(PlaceOf(Item(app::kSlotIds[17].title)).y, 524);
    EXPECT_EQ(PlaceOf(Item(app::kSlotIds[3].stop)).y, 100);
    EXPECT_EQ(PlaceOf(Item(app::kSlotIds[3].play)).x, 40);
    for (int id : {app::kSlotIds[4].time, app::kSlotIds[4].tenths, app::kSlotIds[4].position, app::kSlotIds[4].volume})
        EXPECT_FALSE(::IsWindowVisible(Item(id)));
    ExpectDisplaySizesAndNoOverlap(board_.hwnd());

    Command(ID_VIEW_NORMAL);
    EXPECT_FALSE(board_.Board().compact());
    for (int id : {app::kSlotIds[4].time, app::kSlotIds[4].tenths, app::kSlotIds[4].position, app::kSlotIds[4].volume})
        EXPECT_TRUE(::IsWindowVisible(Item(id)));
    EXPECT_EQ(SizeOf(board_.hwnd()).cx, 1075);
}

TEST_F(BoardDlgTest, SlotFramesAreDrawnInTheUnlitColourOnlyInTheNormalLayout) {
    const COLORREF unlit = board::kLedOffGreen;
    {
        const Capture client(board_.hwnd());
        for (int i = 0; i < board::kSlotCount; ++i) {
            const POINT t = PlaceOf(Item(app::kSlotIds[i].title));
            const int x = t.x - 10, y = t.y - 13;  // the slot's place
            SCOPED_TRACE(i);
            // Left, top, right and bottom edges of (x - 5, y - 2) .. (x + 340, y + 93).
            EXPECT_EQ(client.at(x - 5, y + 45), unlit);
            EXPECT_EQ(client.at(x + 150, y - 2), unlit);
            EXPECT_EQ(client.at(x + 339, y + 45), unlit);
            EXPECT_EQ(client.at(x + 150, y + 92), unlit);
            EXPECT_EQ(client.at(x + 150, y + 60), RGB(0, 0, 0)) << "inside the frame is black";
        }
    }
    Command(ID_VIEW_COMPACT);
    const Capture compact(board_.hwnd());
    for (int y = 0; y < compact.height(); ++y)
        ASSERT_NE(compact.at(5, y), unlit) << "a frame edge in the compact layout at y " << y;
}

TEST_F(BoardDlgTest, AThemeRecoloursEveryDisplayAndFrameAtOnce) {
    Command(ID_VIEW_BLUE);
    EXPECT_EQ(board_.Board().ledOnColour(), 0xFF6060u);
    EXPECT_EQ(board_.Board().ledOffColour(), 0x7F0000u);
    for (int i = 0; i < board::kSlotCount; ++i) {
        for (int id : {app::kSlotIds[i].title, app::kSlotIds[i].time, app::kSlotIds[i].tenths}) {
            const Capture display(Item(id));
            SCOPED_TRACE(id);
            EXPECT_TRUE(Contains(display, RGB(0, 0, 127))) << "unlit dots not blue";
            EXPECT_FALSE(Contains(display, RGB(0, 58, 15))) << "green dots left";
        }
    }
    const POINT t = PlaceOf(Item(app::kSlotIds[7].title));
    EXPECT_EQ(Capture(board_.hwnd()).at(t.x - 15, t.y + 20), RGB(0, 0, 127));
}

TEST_F(BoardDlgTest, EveryThemeCommandSetsItsPair) {
    const struct {
        int id;
        COLORREF on, off;
    } themes[] = {{ID_VIEW_GREEN, RGB(0, 255, 50), RGB(0, 58, 15)},
                  {ID_VIEW_BLUE, RGB(96, 96, 255), RGB(0, 0, 127)},
                  {ID_VIEW_RED, RGB(255, 0, 0), RGB(64, 0, 0)},
                  {ID_VIEW_ORANGE, RGB(255, 140, 25), RGB(100, 50, 0)},
                  {ID_VIEW_YELLOW, RGB(255, 255, 0), RGB(75, 75, 0)}};
    for (const auto& theme : themes) {
        Command(theme.id);
        EXPECT_EQ(board_.Board().ledOnColour(), theme.on) << theme.id;
        EXPECT_EQ(board_.Board().ledOffColour(), theme.off) << theme.id;
    }
}

TEST_F(BoardDlgTest, TheMenuHasItsFivePopupsAndNoCheckMarks) {
    HMENU menu = ::GetMenu(board_.hwnd());
    ASSERT_TRUE(menu);
    ASSERT_EQ(::GetMenuItemCount(menu), 5);
    const char* captions[] = {"&File", "&View", "Schemes", "&Tools", "&Help"};
    for (int i = 0; i < 5; ++i) {
        char text[64] = {};
        ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, captions[i]);
    }
    Command(ID_VIEW_RED);
    Command(ID_VIEW_COMPACT);
    for (int id : {ID_VIEW_GREEN, ID_VIEW_BLUE, ID_VIEW_RED, ID_VIEW_ORANGE, ID_VIEW_YELLOW, ID_VIEW_NORMAL,
                   ID_VIEW_COMPACT, ID_SCHEME_1, ID_SCHEME_12}) {
        const UINT state = ::GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
        ASSERT_NE(state, static_cast<UINT>(-1)) << "no menu item " << id;
        EXPECT_FALSE(state & (MF_CHECKED | MF_GRAYED)) << id;
    }
}

TEST_F(BoardDlgTest, ControlsGetTheBlackBrushAndTheDragIconIsTheProgramIcon) {
    HDC dc = ::GetDC(Item(app::kSlotIds[0].title));
    const auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageA(board_.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(Item(app::kSlotIds[0].title))));
    ::ReleaseDC(Item(app::kSlotIds[0].title), dc);
    LOGBRUSH info{};
    ASSERT_TRUE(::GetObjectA(brush, sizeof info, &info));
    EXPECT_EQ(info.lbColor, RGB(0, 0, 0));
    EXPECT_NE(::SendMessageA(board_.hwnd(), WM_QUERYDRAGICON, 0, 0), 0);
}

// Two quick clicks on a time display are two switches: the second arrives
// as a double-click.
TEST_F(BoardDlgTest, TwoQuickClicksOnATimeDisplaySwitchItTwice) {
    HWND time = Item(app::kSlotIds[3].time);
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        ::SendMessageA(time, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(5, 5));
    wintest::Pump(100);
    EXPECT_FALSE(board_.Board().slot(3).countDown);
    ::SendMessageA(time, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(time, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(board_.Board().slot(3).countDown);
}

// While the user holds the position thumb of a playing sound, the ticks
// leave it where the hand is.
TEST_F(BoardDlgTest, TheTicksLeaveAHeldPositionThumbAlone) {
    wintest::TempWav wav("board_held.wav", wintest::Tone(3.0));
    board_.Controller().board().LoadSlot(0, wav.path(), "HELD");
    // Read on a loader, and put in its slot when the window hears of it.
    ASSERT_TRUE(wintest::PumpUntil([&] { return board_.Board().slot(0).loaded(); }));
    board_.Controller().board().OnPlayButton(0);
    HWND slider = Item(app::kSlotIds[0].position);
    auto* control = static_cast<CZipSliderCtl*>(fw::Control::FromHandle(slider));
    ASSERT_TRUE(control);
    const RECT thumb = control->GetThumbRect();
    const LPARAM at = MAKELPARAM((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
    ::SendMessageA(slider, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ASSERT_TRUE(control->IsDragging());
    const int held = control->GetPos();
    // Several ticks of the playing sound: the time display counts on.
    fw::Window time(Item(app::kSlotIds[0].time));
    const std::string before = time.Text();
    int changes = 0;
    std::string last = before;
    ASSERT_TRUE(wintest::PumpUntil([&] {
        if (time.Text() != last) ++changes, last = time.Text();
        return changes >= 3;
    }));
    EXPECT_EQ(control->GetPos(), held);
    ::SendMessageA(slider, WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(wintest::PumpUntil([&] { return control->GetPos() > held; }))
        << "the ticks move it again once it is let go";
    board_.Controller().board().ClearSlot(0);
}

TEST_F(BoardDlgTest, ARemoteTriggerWithANullPayloadIsAnEmptyName) {
    COPYDATASTRUCT data{};
    data.cbData = 16;  // claims bytes it does not carry
    EXPECT_EQ(::SendMessageA(board_.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 0);
    EXPECT_TRUE(::IsWindow(board_.hwnd()));
}

// A drop of files at a client point, as the shell hands it to the window.
HGLOBAL MakeDrop(POINT at, const std::vector<std::string>& files) {
    std::size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& f : files) bytes += f.size() + 1;
    HGLOBAL drop = ::GlobalAlloc(GHND, bytes);
    auto* header = static_cast<DROPFILES*>(::GlobalLock(drop));
    header->pFiles = sizeof(DROPFILES);
    header->pt = at;
    char* name = reinterpret_cast<char*>(header + 1);
    for (const std::string& f : files) {
        std::memcpy(name, f.c_str(), f.size() + 1);
        name += f.size() + 1;
    }
    ::GlobalUnlock(drop);
    return drop;
}

TEST_F(BoardDlgTest, FilesDroppedOnASlotFillItAndTheEmptySlotsAfterIt) {
    const wintest::TempWav bell("door bell.wav", wintest::Tone(0.5)), b("b.wav", wintest::Tone(0.5));
    const std::string mp3 = wintest::TestSound("tone-330.mp3");
    const std::string note = wintest::TempPath("notes.txt"), scheme = wintest::TempPath("dropped.scheme");
    ::DeleteFileA(scheme.c_str());
    { std::FILE* f = std::fopen(note.c_str(), "wb"); std::fputs("text", f); std::fclose(f); }
    auto drop = [&](POINT at, const std::vector<std::string>& files) {
        ::SendMessageA(board_.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(at, files)), 0);
        wintest::Pump(100);
    };
    EXPECT_TRUE(::GetWindowLongA(board_.hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    const board::Board& board = board_.Board();

    drop({365, 150}, {bell.path()});  // inside slot 7's frame, left of its controls
    EXPECT_EQ(board.slot(7).name, "DOOR BELL");
    EXPECT_TRUE(board.slot(7).loaded());
    drop({355, 150}, {b.path()});  // between two frames
    drop({365, 150}, {note});
    EXPECT_EQ(board.slot(7).name, "DOOR BELL");
    for (int i : {6, 8}) EXPECT_FALSE(board.slot(i).loaded()) << i;
    EXPECT_TRUE(messages_.texts().empty());

    Command(ID_VIEW_COMPACT);
    drop({300, 500}, {b.path(), note, mp3, bell.path()});  // slot 16's row
    EXPECT_EQ(board.slot(16).name, "B");
    EXPECT_EQ(board.slot(17).name, "TONE-330");
    EXPECT_TRUE(board.slot(17).loaded()) << "decoded";
    const auto decoded = audio::DecodeSoundFile(mp3).source;  // the same decoder, on its own
    ASSERT_TRUE(decoded);
    EXPECT_NEAR(board.slot(17).duration, double(decoded->Size()) / decoded->Layout().format.avgBytesPerSec,
                1.0 / 44100) << "within a frame";
    EXPECT_EQ(messages_.texts(),
              std::vector<std::string>{"1 sound was left out: there was no empty slot left for it."});

    ASSERT_TRUE(scheme::SaveScheme(board_.Controller().board(), scheme));
    Command(ID_FILE_NEW);
    drop({5, 5}, {scheme});  // outside every slot: a scheme opens wherever it lands
    EXPECT_EQ(board_.Text(), "dropped - Clangster");
    EXPECT_EQ(board.slot(7).name, "DOOR BELL");
    EXPECT_EQ(board.slot(17).name, "TONE-330");
    ::DeleteFileA(note.c_str());
    ::DeleteFileA(scheme.c_str());
}

}  // namespace

namespace {

// The program's statics have a device context of their own (CBoardDlg's
// classes); the About box's draw their text with it all the same.
TEST(AboutDlgTest, ShowsNameVersionAndTheMakersLinkAsALink) {
    ASSERT_TRUE(CBoardDlg::RegisterControlClasses());
    CAboutDlg about;
    ASSERT_TRUE(about.Create());
    ::ShowWindow(about.hwnd(), SW_SHOW);
    wintest::Pump(100);
    EXPECT_EQ(about.Text(), "About Clangster");
    HWND link = ::GetDlgItem(about.hwnd(), IDC_ABOUT_LINK);
    EXPECT_EQ(::GetWindowLongPtrA(link, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(fw::Window(link).Text(), "Marrowick Software");
    HWND version = nullptr;
    for (HWND child = ::GetWindow(about.hwnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (fw::Window(child).Text() == "Clangster -  v1.60") version = child;
    ASSERT_TRUE(version);
    EXPECT_TRUE(::GetClassLongPtrA(version, GCL_STYLE) & CS_OWNDC);
    const Capture shot(version);
    EXPECT_TRUE(Contains(shot, ::GetSysColor(COLOR_WINDOWTEXT))) << "the version text is not drawn";
    EXPECT_EQ(std::string(CAboutDlg::kMakerSite).rfind("https://", 0), 0u);
}

}  // namespace

namespace {

INT_PTR CALLBACK BareDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// Each row of the slot id table names the seven controls of one grid cell of
// the template, of the right classes, and no id is used twice.
TEST(SlotIdsTest, EveryRowIsOneCellOfTheTemplate) {
    ASSERT_TRUE(CBoardDlg::RegisterControlClasses());
    HWND dialog = ::CreateDialogParamA(fw::App::Instance(), MAKEINTRESOURCEA(IDD_BOARD), nullptr, BareDialogProc, 0);
    ASSERT_TRUE(dialog);
    std::set<int> seen;
    for (int i = 0; i < board::kSlotCount; ++i) {
        const app::SlotIds& ids = app::kSlotIds[i];
        RECT cell{237 * (i / 6), 63 * (i % 6), 237 * (i / 6 + 1), 63 * (i % 6 + 1)};
        ::MapDialogRect(dialog, &cell);
        for (const auto& control : SlotControlClasses(i)) {
            SCOPED_TRACE(testing::Message() << "slot " << i << " id " << control.first);
            HWND item = ::GetDlgItem(dialog, control.first);
            ASSERT_TRUE(item);
            char cls[64] = {};
            ::GetClassNameA(item, cls, sizeof cls);
            EXPECT_STRCASEEQ(cls, control.second);
            const POINT at = PlaceOf(item);
            EXPECT_TRUE(::PtInRect(&cell, at));
            EXPECT_TRUE(seen.insert(control.first).second);
        }
    }
    ::DestroyWindow(dialog);
}

// Values are read into 255 bytes: one of 255 characters stored without a
// terminating zero fits, one of 256 does not, and reads as missing.
TEST(RegKeyTest, ValuesOfUpTo255BytesAreRead) {
    const char kKey[] = "Software\\Marrowick\\ClangsterTest";
    {
        const fw::RegKey key = fw::RegKey::Create(kKey);
        ASSERT_TRUE(key);
        EXPECT_TRUE(key.WriteString("fits", std::string(255, 'a')));
        EXPECT_TRUE(key.WriteString("long", std::string(256, 'b')));
        EXPECT_TRUE(key.WriteString("empty", ""));
    }
    const fw::RegKey key = fw::RegKey::Open(kKey, KEY_QUERY_VALUE);
    ASSERT_TRUE(key);
    std::string value = "unchanged";
    EXPECT_TRUE(key.ReadString("fits", value));
    EXPECT_EQ(value, std::string(255, 'a'));
    EXPECT_FALSE(key.ReadString("long", value));
    EXPECT_FALSE(key.ReadString("missing", value));
    EXPECT_TRUE(key.ReadString("empty", value));
    EXPECT_EQ(value, "");
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    EXPECT_FALSE(fw::RegKey::Open(kKey, KEY_QUERY_VALUE));
}

}  // namespace

namespace {

// A fault that escapes a handler is told to the user, and the window lives on.
class ThrowingDialog : public fw::Dialog {
public:
    ThrowingDialog() : fw::Dialog(IDD_ABOUT) {}

protected:
    bool OnMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override {
        if (msg == WM_APP) throw std::runtime_error("the test's fault");
        if (msg == WM_APP + 1) throw std::bad_alloc();
        return fw::Dialog::OnMessage(msg, w, l, result);
    }
};

TEST(DialogTest, AnExceptionInAHandlerIsReportedAndTheWindowGoesOn) {
    wintest::RecordedMessages messages;
    ThrowingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    ::SendMessageA(dialog.hwnd(), WM_APP, 0, 0);
    ::SendMessageA(dialog.hwnd(), WM_APP + 1, 0, 0);
    ASSERT_EQ(messages.texts().size(), 2u);
    EXPECT_EQ(messages.texts()[0], "This action could not be completed.\n\nInternal error: the test's fault");
    EXPECT_EQ(messages.texts()[1], "This action could not be completed.\n\nThere is not enough memory.");
    EXPECT_TRUE(::IsWindow(dialog.hwnd()));
}

}  // namespace
