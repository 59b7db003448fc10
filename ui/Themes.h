#pragma once
// The View menu's colour themes: a lit and an unlit LED colour (COLORREF 0x00BBGGRR).
#include <cstdint>

namespace ui {

struct Theme {
    int commandId;
    std::uint32_t on, off;
};

constexpr Theme kThemes[] = {
    {32798, 0x32FF00, 0x0F3A00},  // Green
    {32799, 0xFF6060, 0x7F0000},  // Blue
    {32800, 0x0000FF, 0x000040},  // Red
    {32801, 0x198CFF, 0x003264},  // Orange
    {32802, 0x00FFFF, 0x004B4B},  // Yellow
};

// The theme a View command chooses, or null.
inline const Theme* ThemeForCommand(int commandId) {
    for (const Theme& theme : kThemes)
        if (theme.commandId == commandId) return &theme;
    return nullptr;
}

}  // namespace ui
