#pragma once
// The 18 trigger keys: the digit row 1..9 and the letter row Q..O, slot 0 first.
#include <string>

namespace board {

constexpr int kSlotCount = 18;
constexpr unsigned kVkControl = 0x11;
constexpr unsigned kSlotKeys[kSlotCount] = {'1', '2', '3', '4', '5', '6', '7', '8', '9',
                                            'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O'};

// The slot a virtual-key code triggers, or -1.
int SlotForKey(unsigned vk);
// The label shown for a key while Ctrl is held ("1".."9", "q".."o"); "" for other keys.
std::string KeyLabel(unsigned vk);

}  // namespace board
