#include "ui/Layout.h"

namespace ui {

Point SlotPlace(int slot, bool compact) {
    if (compact) return {10, 10 + 30 * slot};
    const int column = slot / 6, row = slot % 6;
    return {10 + 355 * column, row == 0 ? 8 : 10 + 100 * row};
}

SlotPlacement PlaceSlot(Point p, bool compact) {
    SlotPlacement s{};
    s.detailsShown = !compact;
    if (compact) {
        s.stop = {p.x, p.y};
        s.play = {p.x + 30, p.y};
        s.title = {p.x + 135, p.y + 4};
        return s;
    }
    s.title = {p.x + 10, p.y + 13};
    s.stop = {p.x + 12, p.y + 33};
    s.play = {p.x + 42, p.y + 33};
    s.time = {p.x + 154, p.y + 35};
    s.tenths = {p.x + 260, p.y + 41};
    s.volume = {p.x + 305, p.y + 5};
    s.position = {p.x + 5, p.y + 70};
    return s;
}

Size WindowSize(bool compact) { return compact ? Size{440, 600} : Size{1075, 655}; }

Rect SlotFrame(Point t) { return {t.x - 15, t.y - 15, t.x + 330, t.y + 80}; }

int SlotAt(Point p, bool compact) {
    constexpr int kSlots = 18, kCompactRow = 30;
    for (int i = 0; i < kSlots; ++i) {
        const Point place = SlotPlace(i, compact);
        if (compact) {
            if (p.y >= place.y && p.y < place.y + kCompactRow) return i;
            continue;
        }
        const Point title = PlaceSlot(place, false).title;
        const Rect frame = SlotFrame(title);
        if (p.x >= frame.left && p.x < frame.right && p.y >= frame.top && p.y < frame.bottom) return i;
    }
    return -1;
}

}  // namespace ui
