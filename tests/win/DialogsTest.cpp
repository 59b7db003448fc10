// The file chooser, the Rename box, the Options and Hotkeys dialogs, worked as a user
// would: while the test's thread runs a modal dialog, a second thread finds
// the dialog's window and types into it and clicks its buttons.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "WinTestSupport.h"
#include "ui/HotkeysDlg.h"
#include "ui/RemoteControlDlg.h"
#include "framework/Handles.h"
#include "framework/Window.h"
#include "res/resource.h"
#include "ui/OptionsDlg.h"
#include "ui/RenameDlg.h"
#include "ui/FileDialog.h"

namespace {

constexpr int kFileNameBox = 1148;  // the open-file dialog's name box
constexpr int kFileTypeList = 1136;
constexpr int kPlacesBar = 1184;  // shown only to callers that pass the long record
constexpr int kFavouriteIds[12] = {1104, 1105, 1106, 1107, 1108, 1109, 1110, 1111, 1112, 1113, 1114, 1115};
constexpr int kBrowseIds[12] = {1146, 1024, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034};

template <typename Condition>
bool WaitUntil(Condition condition) {
    for (const DWORD end = ::GetTickCount() + 10000; !condition(); ::Sleep(10))
        if (static_cast<LONG>(end - ::GetTickCount()) <= 0) return false;
    return true;
}

std::string TextOf(HWND hwnd) { return fw::Window(hwnd).Text(); }
std::string ItemText(HWND dialog, int id) { return TextOf(::GetDlgItem(dialog, id)); }

HWND WaitForDialog(const char* caption) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = ::FindWindowA("#32770", caption)) && ::IsWindowVisible(found); });
    return found;
}

void Click(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// Works the dialog titled caption from a second thread while this one runs
// it modally; Join() before reading what the work recorded. Should the
// dialog never come, the modal loop is told to quit.
class Driver {
public:
    Driver(const char* caption, std::function<void(HWND)> work)
        : runner_(::GetCurrentThreadId()), thread_([this, caption, work] {
              if (HWND dialog = WaitForDialog(caption))
                  work(dialog);
              else
                  ::PostThreadMessageA(runner_, WM_QUIT, 0, 0);
          }) {}
    ~Driver() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

private:
    DWORD runner_;
    std::thread thread_;
};

std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    for (int i = 0; i < ::SendMessageA(list, CB_GETCOUNT, 0, 0); ++i) {
        std::string item(static_cast<size_t>(::SendMessageA(list, CB_GETLBTEXTLEN, i, 0)), '\0');
        ::SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]));
        items.push_back(item);
    }
    return items;
}

TEST(FileDialogTest, CancelGivesNoPath) {
    CFileDialogEx dialog(true, nullptr, "", OFN_HIDEREADONLY | OFN_NOCHANGEDIR, kSoundFilter);
    std::vector<std::string> types;
    Driver driver("Open", [&](HWND d) {
        types = ListItems(::GetDlgItem(d, kFileTypeList));
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    driver.Join();
    EXPECT_EQ(dialog.GetPathName(), "");
    ASSERT_EQ(types.size(), 3u);
    EXPECT_EQ(types[0].rfind("Sound files (*.wav;*.mp3;", 0), 0u) << types[0];
    EXPECT_EQ(types[1], "Wave files (*.wav)");
    EXPECT_EQ(types[2], "All files (*.*)");
}

void PutOnClipboard(const std::string& text) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(data), text.c_str(), text.size() + 1);
    ::GlobalUnlock(data);
    ::SetClipboardData(CF_TEXT, data);
    ::CloseClipboard();
}

TEST(RenameDlgTest, DropsBarsTypedOrPastedAndGivesTheNameBackOnOkOnly) {
    for (const int close : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(close);
        CRenameDlg dialog;
        dialog.m_name = "DOOR BELL";
        std::string shown, typed, pasted;
        Driver driver("Rename Sound", [&](HWND d) {
            HWND edit = ::GetDlgItem(d, IDC_RENAME_EDIT);
            shown = TextOf(edit);
            ::SendMessageA(edit, EM_SETSEL, 0, -1);
            for (char c : std::string("x|y.")) ::PostMessageA(edit, WM_CHAR, static_cast<BYTE>(c), 1);
            WaitUntil([&] { return TextOf(edit).find('.') != std::string::npos; });  // all four keys handled
            typed = TextOf(edit);
            PutOnClipboard("|a|b|");
            ::SendMessageA(edit, WM_PASTE, 0, 0);
            ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("c|"));
            pasted = TextOf(edit);
            Click(d, close);
        });
        EXPECT_EQ(dialog.DoModal(), close);
        driver.Join();
        EXPECT_EQ(shown, "DOOR BELL");
        EXPECT_EQ(typed, "xy.");
        EXPECT_EQ(pasted, "xy.abc");
        EXPECT_EQ(dialog.m_name, close == IDOK ? "xy.abc" : "DOOR BELL");
    }
}

std::string Favourite(int i) { return "C:\\Shows\\show " + std::to_string(i + 1) + ".scheme"; }

TEST(OptionsDlgTest, ShowsTheMembersAndTakesTheControlsBackOnOkOnly) {
    const int kNone = -2;
    struct Case {
        int given, shown, picked, close, taken;
    } cases[] = {{0, 0, kNone, IDOK, 0},  {2, 2, 1, IDOK, 1},       {-1, -1, kNone, IDOK, -1},
                 {7, -1, kNone, IDOK, -1}, {1, 1, 0, IDCANCEL, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        COptionsDlg dialog;
        for (int i = 0; i < 12; ++i) dialog.m_favourites[i] = Favourite(i);
        dialog.m_onPlayMode = c.given;
        ASSERT_TRUE(dialog.Create());
        for (int i = 0; i < 12; ++i) EXPECT_EQ(TextOf(dialog.Item(kFavouriteIds[i])), Favourite(i));
        HWND modes = dialog.Item(IDC_ONPLAY_MODE);
        EXPECT_EQ(::SendMessageA(modes, CB_GETCURSEL, 0, 0), c.shown);
        fw::Window(dialog.Item(kFavouriteIds[11])).SetText("any text at all");
        if (c.picked != kNone) ::SendMessageA(modes, CB_SETCURSEL, c.picked, 0);
        dialog.Send(WM_COMMAND, MAKEWPARAM(c.close, BN_CLICKED));
        EXPECT_EQ(dialog.m_favourites[11], c.close == IDOK ? "any text at all" : Favourite(11));
        EXPECT_EQ(dialog.m_favourites[10], Favourite(10));
        EXPECT_EQ(dialog.m_onPlayMode, c.taken);
    }
}

// The whole browse: the row's path is offered in the new-layout file dialog
// over the Options box, a typed path of a file not made yet comes back into
// the row, and only OK keeps it.
TEST(OptionsDlgTest, BrowseFillsItsRowFromTheFileDialogAndOnlyOkKeepsIt) {
    const std::string path = wintest::TempPath("not made yet.scheme");
    ::DeleteFileA(path.c_str());
    for (const auto& [row, close] : {std::pair<int, int>{0, IDOK}, {11, IDCANCEL}}) {
        SCOPED_TRACE(row);
        const int other = row == 0 ? 1 : 10;
        COptionsDlg dialog;
        dialog.m_favourites[row] = "old.scheme";
        HWND options = nullptr, fileOwner = nullptr;
        bool placesBar = false;
        std::string offered, rowAfter, otherAfter;
        std::vector<std::string> types;
        Driver driver("Options", [&](HWND d) {
            options = d;
            ::SetDlgItemTextA(d, kFavouriteIds[other], "typed");
            Click(d, kBrowseIds[row]);
            if (HWND file = WaitForDialog("Open")) {
                offered = ItemText(file, kFileNameBox);
                types = ListItems(::GetDlgItem(file, kFileTypeList));
                placesBar = ::IsWindowVisible(::GetDlgItem(file, kPlacesBar));
                fileOwner = ::GetWindow(file, GW_OWNER);
                ::SetDlgItemTextA(file, kFileNameBox, path.c_str());
                Click(file, IDOK);
                WaitUntil([&] { return ItemText(d, kFavouriteIds[row]) == path; });
            }
            rowAfter = ItemText(d, kFavouriteIds[row]);
            otherAfter = ItemText(d, kFavouriteIds[other]);
            Click(d, close);
        });
        EXPECT_EQ(dialog.DoModal(), close);
        driver.Join();
        EXPECT_EQ(offered, "old.scheme");
        EXPECT_EQ(types, (std::vector<std::string>{"Scheme files (*.scheme)", "All files (*.*)"}));
        EXPECT_TRUE(placesBar);
        EXPECT_EQ(fileOwner, options);
        EXPECT_EQ(rowAfter, path);
        EXPECT_EQ(otherAfter, "typed");  // what was typed survives the browse
        EXPECT_EQ(dialog.m_favourites[row], close == IDOK ? path : "old.scheme");
        EXPECT_EQ(dialog.m_favourites[other], close == IDOK ? "typed" : "");
    }
}

// OK refuses one combination twice and one without Ctrl or Alt, and
// Backspace empties the entry it points to.
TEST(HotkeysDlgTest, OkTakesTheEntriesButNoCombinationTwiceAndNoneWithoutCtrlOrAlt) {
    wintest::RecordedMessages messages;
    CHotkeysDlg dialog;
    dialog.m_hotkeys[0] = 0x274, dialog.m_hotkeys[19] = 0xA23;  // Ctrl+F5, Ctrl+End
    dialog.m_owners[0] = "Slot 1 (DOOR BELL)", dialog.m_owners[3] = "Slot 4", dialog.m_owners[5] = "Slot 6";
    dialog.m_owners[31] = "Favourite 12";
    std::string name;
    Driver driver("Hotkeys", [&](HWND d) {
        auto entry = [d](int i) { return ::GetDlgItem(d, IDC_HOTKEY_FIRST + i); };
        name = ItemText(d, IDC_HOTKEY_NAME_FIRST) + " " +
               std::to_string(::SendMessageA(entry(19), HKM_GETHOTKEY, 0, 0));
        ::SendMessageA(entry(5), HKM_SETHOTKEY, 0x274, 0);
        Click(d, IDOK);
        WaitUntil([&] { return !messages.texts().empty(); });
        ::PostMessageA(entry(5), WM_KEYDOWN, VK_BACK, 0);
        WaitUntil([&] { return ::SendMessageA(entry(5), HKM_GETHOTKEY, 0, 0) == 0; });
        ::SendMessageA(entry(3), HKM_SETHOTKEY, 0x165, 0);  // Shift+Num 5
        Click(d, IDOK);
        WaitUntil([&] { return messages.texts().size() == 2; });
        ::SendMessageA(entry(3), HKM_SETHOTKEY, 0x365, 0);  // Ctrl+Shift+Num 5
        ::SendMessageA(entry(31), HKM_SETHOTKEY, 0x667, 0);  // Ctrl+Alt+Num 7, a favourite's
        Click(d, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    driver.Join();
    EXPECT_EQ(name, "Slot 1 (DOOR BELL) 2595");
    board::Hotkeys chosen{0x274, 0, 0, 0x365, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xA23};
    chosen[31] = 0x667;
    EXPECT_EQ(dialog.m_hotkeys, chosen) << "entry 6 emptied, entries 4 and 32 added";
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{"Slot 1 (DOOR BELL) and Slot 6 have the same hotkey, Ctrl+F5.\n\n"
                                        "A hotkey does one thing: give one of them another.",
                                        "Slot 4: Shift+Num 5 has no Ctrl or Alt.\n\nA hotkey works in every "
                                        "program: without Ctrl or Alt it would take this key from all of them. "
                                        "Add Ctrl or Alt, or empty the entry with Backspace."}));
}

// The list of allowed controllers: OK names an entry that would let in more
// than was written, and takes the list once it reads.
TEST(RemoteControlDlgTest, OkRefusesAnAllowListEntryItCannotReadAndKeepsTheList) {
    wintest::RecordedMessages messages;
    CRemoteControlDlg dialog;
    dialog.m_settings = {true, 9000, true, "10.0.0.7"};
    std::string shown;
    Driver driver("Remote control", [&](HWND d) {
        shown = ItemText(d, IDC_REMOTE_ALLOW);
        ::SetDlgItemTextA(d, IDC_REMOTE_ALLOW, "10.0.0.7, 192.168.1.5/24");
        Click(d, IDOK);
        WaitUntil([&] { return !messages.texts().empty(); });
        ::SetDlgItemTextA(d, IDC_REMOTE_ALLOW, "10.0.0.7, 192.168.1.0/24");
        Click(d, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    driver.Join();
    EXPECT_EQ(shown, "10.0.0.7");
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0].rfind("\"192.168.1.5/24\" is not an address", 0), 0u) << messages.texts()[0];
    EXPECT_EQ(dialog.m_settings.allow, "10.0.0.7, 192.168.1.0/24");
}

using Children = std::vector<std::tuple<int, std::string, std::string>>;

// Each control's id, class and text, in tab order.
Children ChildrenOf(HWND dialog) {
    Children children;
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = "";
        ::GetClassNameA(c, cls, sizeof cls);
        children.emplace_back(::GetDlgCtrlID(c), cls, TextOf(c));
    }
    return children;
}

TEST(DialogTemplatesTest, ControlsMenusAndTextsAreThoseTheProgramUses) {
    CRenameDlg rename;
    COptionsDlg options;
    ASSERT_TRUE(rename.Create() && options.Create());
    EXPECT_EQ(rename.Text(), "Rename Sound");
    EXPECT_EQ(ChildrenOf(rename.hwnd()),
              (Children{{1104, "Edit", ""}, {IDOK, "Button", "OK"}, {IDCANCEL, "Button", "Cancel"}}));
    std::vector<std::string> names;
    for (const audio::SoundOutput& output : audio::EnumerateSoundOutputs()) names.push_back(output.name);
    ASSERT_FALSE(names.empty());
    Children controls{{-1, "Button", " Favourite schemes: "}};
    for (int i = 0; i < 12; ++i) {
        controls.emplace_back(-1, "Static", "Scheme " + std::to_string(i + 1) + ":");
        controls.emplace_back(kFavouriteIds[i], "Edit", "");
        controls.emplace_back(kBrowseIds[i], "Button", "Browse...");
    }
    controls.insert(controls.end(), {{-1, "Static", "When playing a sound:"}, {1149, "ComboBox", ""},
                                     {-1, "Static", "Sound output:"}, {1150, "ComboBox", names[0]},
                                     {-1, "Static", "Monitor output:"}, {1151, "ComboBox", "(none)"},
                                     {1152, "Button", "Monitor hears every sound"},
                                     {IDOK, "Button", "OK"}, {IDCANCEL, "Button", "Cancel"}});
    EXPECT_EQ(options.Text(), "Options");
    EXPECT_EQ(ChildrenOf(options.hwnd()), controls);
    EXPECT_NE(rename.Send(WM_GETICON, ICON_SMALL), 0);
    EXPECT_NE(options.Send(WM_GETICON, ICON_SMALL), 0);
    HWND modes = options.Item(IDC_ONPLAY_MODE);
    EXPECT_EQ(ListItems(modes), (std::vector<std::string>{"leave other sounds alone", "pause any other sounds playing",
                                                          "fade out and pause any other sounds playing"}));
    EXPECT_EQ(::GetWindowLongA(modes, GWL_STYLE) & (CBS_DROPDOWNLIST | CBS_SORT), CBS_DROPDOWNLIST);
    // The outputs in DirectSound's order, the system's default first and chosen.
    HWND outputs = options.Item(IDC_SOUND_OUTPUT);
    EXPECT_EQ(ListItems(outputs), names);
    EXPECT_GE(names.size(), 2u) << "the default and the test sink";
    EXPECT_EQ(::SendMessageA(outputs, CB_GETCURSEL, 0, 0), 0);
    // The monitor: none by default, then the same outputs; it does not hear every sound.
    std::vector<std::string> monitors{"(none)"};
    monitors.insert(monitors.end(), names.begin(), names.end());
    EXPECT_EQ(ListItems(options.Item(IDC_MONITOR_OUTPUT)), monitors);
    EXPECT_EQ(options.Item(IDC_MONITOR_ALL) ? ::SendMessageA(options.Item(IDC_MONITOR_ALL), BM_GETCHECK, 0, 0) : -1,
              BST_UNCHECKED);

    fw::UniqueMenu menu(::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(135)));
    char text[32] = "";
    ::GetMenuStringA(menu.get(), 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_EQ(std::string(text), "popup");
    HMENU popup = ::GetSubMenu(menu.get(), 0);
    std::vector<std::pair<int, std::string>> items;
    for (int i = 0; i < ::GetMenuItemCount(popup); ++i) {
        text[0] = '\0';  // a separator has no text to copy
        ::GetMenuStringA(popup, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        items.emplace_back(static_cast<int>(::GetMenuItemID(popup, i)), text);
    }
    const std::vector<std::pair<int, std::string>> expected{
        {32791, "Browse..."}, {0, ""}, {32810, "Loop"}, {32792, "Clear"}, {32794, "Reload"}, {32793, "Rename"},
        {0, ""},              {ID_SLOT_PRELISTEN, "Pre-listen"}};
    EXPECT_EQ(items, expected);
}

}  // namespace
