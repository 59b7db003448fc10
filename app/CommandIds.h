#pragma once
// Where the window's resource ids meet the logic's own names: the only place
// that maps one to the other. Each table is checked when it is compiled.
#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "app/BoardController.h"
#include "board/BoardView.h"
#include "board/Hotkey.h"
#include "res/resource.h"
#include "scheme/Choices.h"
#include "ui/Themes.h"

namespace app {

// The Schemes menu's commands, favourite 1 first.
constexpr int kFavouriteCommandIds[board::kFavouriteCount] = {
    ID_SCHEME_1, ID_SCHEME_2, ID_SCHEME_3, ID_SCHEME_4,  ID_SCHEME_5,  ID_SCHEME_6,
    ID_SCHEME_7, ID_SCHEME_8, ID_SCHEME_9, ID_SCHEME_10, ID_SCHEME_11, ID_SCHEME_12};

// The slot menu's commands, in the order of scheme::SlotCommand after None.
constexpr int kSlotCommandIds[] = {ID_SLOT_BROWSE, ID_SLOT_LOOP,   ID_SLOT_CLEAR,
                                   ID_SLOT_RELOAD, ID_SLOT_RENAME, ID_SLOT_PRELISTEN};

// The View menu's themes, in the order of ui::ThemeName.
constexpr int kThemeCommandIds[ui::kThemeCount] = {ID_VIEW_GREEN, ID_VIEW_BLUE, ID_VIEW_RED, ID_VIEW_ORANGE,
                                                   ID_VIEW_YELLOW};

// The Play button's images, in the order of board::PlayImage.
constexpr int kPlayImageIds[] = {IDB_PLAY_IDLE, IDB_PLAY_PLAYING, IDB_PLAY_PAUSED};

// Where id stands in a table, or -1.
template <std::size_t N>
constexpr int IndexOf(const int (&ids)[N], int id) {
    for (std::size_t i = 0; i < N; ++i)
        if (ids[i] == id) return static_cast<int>(i);
    return -1;
}

template <std::size_t N>
constexpr bool AllDifferent(const int (&ids)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        for (std::size_t j = i + 1; j < N; ++j)
            if (ids[i] == ids[j]) return false;
    return true;
}

static_assert(AllDifferent(kFavouriteCommandIds) && AllDifferent(kSlotCommandIds) && AllDifferent(kThemeCommandIds) &&
                  AllDifferent(kPlayImageIds),
              "one id per name");
static_assert(std::size(kSlotCommandIds) == static_cast<std::size_t>(scheme::SlotCommand::Prelisten),
              "every slot command has its menu id");
static_assert(std::size(kPlayImageIds) == static_cast<std::size_t>(board::PlayImage::Paused) + 1,
              "every Play image has its bitmap");

// The hot-key control's flags and the system's hotkey modifiers, as the logic names them.
static_assert(board::kHotkeyShift == HOTKEYF_SHIFT && board::kHotkeyControl == HOTKEYF_CONTROL &&
                  board::kHotkeyAlt == HOTKEYF_ALT && board::kHotkeyExtended == HOTKEYF_EXT,
              "hot-key control flags");
static_assert(board::kModAlt == MOD_ALT && board::kModControl == MOD_CONTROL && board::kModShift == MOD_SHIFT,
              "hotkey modifiers");

// The ids the hotkeys are registered with: entry i as i + 1.
constexpr int kFirstHotkeyId = 1;
inline int HotkeyIdOf(int index) { return kFirstHotkeyId + index; }
// The entry of a WM_HOTKEY's id, or -1 for the system's own.
inline int HotkeyFor(WPARAM id) {
    const auto index = static_cast<INT_PTR>(id) - kFirstHotkeyId;
    return index >= 0 && index < board::kHotkeyCount ? static_cast<int>(index) : -1;
}

inline scheme::SlotCommand SlotCommandFor(int id) {
    return static_cast<scheme::SlotCommand>(IndexOf(kSlotCommandIds, id) + 1);  // -1 gives None
}
inline int FavouriteFor(int id) { return IndexOf(kFavouriteCommandIds, id); }

// The menu commands without an index.
inline std::optional<MenuCommand> MenuCommandFor(int id) {
    switch (id) {
    case ID_FILE_NEW: return MenuCommand::New;
    case ID_FILE_OPEN: return MenuCommand::Open;
    case ID_FILE_SAVE: return MenuCommand::Save;
    case ID_FILE_SAVE_AS: return MenuCommand::SaveAs;
    case ID_FILE_EXIT: return MenuCommand::Exit;
    case ID_VIEW_NORMAL: return MenuCommand::Normal;
    case ID_VIEW_COMPACT: return MenuCommand::Compact;
    case ID_TOOLS_OPTIONS: return MenuCommand::Options;
    case ID_TOOLS_HOTKEYS: return MenuCommand::Hotkeys;
    case ID_TOOLS_REMOTE_CONTROL: return MenuCommand::RemoteControl;
    case ID_TOOLS_STOP_ALL: return MenuCommand::StopAll;
    case ID_HELP_ABOUT: return MenuCommand::About;
    default: return std::nullopt;
    }
}
inline int ThemeFor(int id) { return IndexOf(kThemeCommandIds, id); }
inline int BitmapOf(board::PlayImage image) { return kPlayImageIds[static_cast<int>(image)]; }

}  // namespace app
