#pragma once
// The View menu's colour themes: a lit and an unlit LED colour (COLORREF 0x00BBGGRR).
#include <cstdint>

namespace ui {

struct Theme {
    std::uint32_t on, off;
};

enum ThemeName { Green, Blue, Red, Orange, Yellow, kThemeCount };

constexpr Theme kThemes[kThemeCount] = {
    {0x32FF00, 0x0F3A00},  // Green
    {0xFF6060, 0x7F0000},  // Blue
    {0x0000FF, 0x000040},  // Red
    {0x198CFF, 0x003264},  // Orange
    {0x00FFFF, 0x004B4B},  // Yellow
};

}  // namespace ui
