#include "board/Action.h"

#include <cmath>
#include <cstring>

#include "board/Board.h"
#include "board/Keys.h"

namespace board {

namespace {
constexpr unsigned kVkEscape = 0x1B;
}

std::optional<Action> KeyAction(unsigned vk, bool shiftDown) {
    if (vk == kVkEscape) return Action{shiftDown ? Action::FadeAll : Action::StopAll};
    const int slot = SlotForKey(vk);
    if (slot < 0) return std::nullopt;
    return Action{shiftDown ? Action::Stop : Action::Fire, slot};
}

Action NameAction(const void* data, std::size_t size) {
    Action a{Action::FireByName};
    if (data && size) {
        const char* bytes = static_cast<const char*>(data);
        const void* zero = std::memchr(bytes, 0, size);
        a.name.assign(bytes, zero ? static_cast<const char*>(zero) : bytes + size);
    }
    return a;
}

int VolumeSliderValue(double volume) {
    if (!(volume >= 0)) volume = 0;  // NaN too
    if (volume > 1) volume = 1;
    return static_cast<int>(std::lround((1.0 - volume) * kVolumeRange));
}

}  // namespace board
