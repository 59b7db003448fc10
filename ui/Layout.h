#pragma once
// Where each slot's controls stand in the Normal layout (three columns of
// six slots) and the Compact one (a single column of 18 short rows), in
// client pixels. Controls keep their sizes; only their places change.
namespace ui {

struct Point {
    int x = 0, y = 0;
};
struct Size {
    int cx = 0, cy = 0;
};
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The place of a slot: the origin its controls are placed from.
Point SlotPlace(int slot, bool compact);

struct SlotPlacement {
    bool detailsShown;  // time, tenths and both sliders
    Point title, stop, play, time, tenths, volume, position;  // the last four only when shown
};
SlotPlacement PlaceSlot(Point place, bool compact);

Size WindowSize(bool compact);

// The framed box drawn around a slot in the Normal layout, from its title display's place.
Rect SlotFrame(Point titleTopLeft);

// The slot at a client point: inside its frame in the Normal layout, on its
// row in the Compact one; -1 between and outside them.
int SlotAt(Point point, bool compact);

}  // namespace ui
