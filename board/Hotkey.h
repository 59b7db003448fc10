#pragma once
// System-wide hotkeys: one for each slot, one for Stop all, one for Fade
// all and one for each favourite scheme (so that a keypad switches banks).
// A hotkey is kept as the standard hot-key control's value: the virtual
// key in the low byte, the control's modifier flags in the high byte; 0 is none.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "board/Action.h"
#include "board/Keys.h"

namespace board {

constexpr int kHotkeyStopAll = kSlotCount;
constexpr int kHotkeyFadeAll = kSlotCount + 1;
constexpr int kHotkeyFirstFavourite = kSlotCount + 2;
constexpr int kHotkeyCount = kHotkeyFirstFavourite + kFavouriteCount;
using Hotkeys = std::array<std::uint16_t, kHotkeyCount>;

// The hot-key control's modifier flags, and the system's modifiers for
// registering a hotkey (the window layer checks both against the system's).
constexpr unsigned kHotkeyShift = 0x01, kHotkeyControl = 0x02, kHotkeyAlt = 0x04, kHotkeyExtended = 0x08;
constexpr unsigned kModAlt = 0x01, kModControl = 0x02, kModShift = 0x04;

inline unsigned HotkeyKey(std::uint16_t hotkey) { return hotkey & 0xFFu; }
// The modifiers the system registers a hotkey with. The extended-key flag
// only tells the two keys of one virtual key apart, which the system does not.
unsigned HotkeyModifiers(std::uint16_t hotkey);

// The stored text of a hotkey, decimal; and back. Text that is not a
// decimal hotkey value (a key, known flags) reads as none.
std::string HotkeyToText(std::uint16_t hotkey);
std::uint16_t HotkeyFromText(const std::string& text);

// What a user reads: "Ctrl+Alt+F1"; empty for none.
std::string HotkeyText(std::uint16_t hotkey);
// The first two entries that are one combination for the system, or nothing.
std::optional<std::pair<int, int>> FindSharedHotkey(const Hotkeys& hotkeys);
// Whether a hotkey holds Ctrl or Alt: one without would take its key (a
// letter, a digit) from every program.
bool HasCommandModifier(std::uint16_t hotkey);
// Both Ctrl and Alt: many keyboard layouts type their AltGr characters so.
bool TakesAltGr(std::uint16_t hotkey);

// What a hotkey asks of the board: its slot fired as the Play button does
// (the whole combination is the hotkey, so Shift does not turn it into a
// stop), every sound stopped or faded out as Esc and Shift+Esc do, or a
// favourite opened in this board.
Action HotkeyAction(int index);
// Who a hotkey belongs to: "Slot 3 (DOOR BELL)", "Slot 4", "Stop all",
// "Fade all", "Favourite 2 (Friday)"; name: the slot's sound or the favourite's caption.
std::string HotkeyOwner(int index, const std::string& name);

// A slot's title while Ctrl is held: its name and its key's label, with
// its hotkey, when it has one, between them, right-aligned to the name's
// 19 columns and in short when long ("C+A+S+F12"), so that every label
// keeps its place.
std::string ControlKeyTitle(const std::string& name, unsigned key, std::uint16_t hotkey);

}  // namespace board
