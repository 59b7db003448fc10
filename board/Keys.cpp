#include "board/Keys.h"

namespace board {

int SlotForKey(unsigned vk) {
    for (int i = 0; i < kSlotCount; ++i)
        if (kSlotKeys[i] == vk) return i;
    return -1;
}

std::string KeyLabel(unsigned vk) {
    if (SlotForKey(vk) < 0) return "";
    const char c = static_cast<char>(vk);
    return std::string(1, (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c);
}

}  // namespace board
