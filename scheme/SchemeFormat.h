#pragma once
// The text of a scheme file: a line for each slot, a colours line and a layout line.
// The reading rules are deliberately tolerant: nothing in a scheme is rejected.
#include <array>
#include <cstdint>
#include <string>

namespace scheme {

constexpr char kEmptySlotLine[] = "||||";

struct SlotLine {
    std::string path, name;
    std::uint64_t position = 0;  // play cursor in bytes
    int volume = 0;         // volume slider value, 0..10000
    bool countDown = false, loop = false;
};

// "%s|%s|%f|%i|%i|%i|" for a loaded slot.
std::string FormatSlotFields(const SlotLine& line);
// The six '|'-terminated fields; text after the last '|' is ignored and
// missing fields are empty.
std::array<std::string, 6> SplitSlotFields(const std::string& line);
// atof of a field, truncated toward zero.
int FieldToInt(const std::string& field);
// A position field, in bytes: atof of it, truncated toward zero, in 64 bits
// (a sound may be longer than 2 GB). A negative one reads as the largest
// position, which no sound reaches.
std::uint64_t FieldToPosition(const std::string& field);
// A switch is on only when its field is exactly "1".
inline bool IsSwitchOn(const std::string& field) { return field == "1"; }

struct LedColours {
    std::uint32_t on = 0, off = 0;  // COLORREF 0x00BBGGRR
};
std::string FormatColoursLine(const LedColours& colours);
// Reads a non-empty colours line: the first 8 characters are skipped unread,
// then six atoi numbers each taken after the previous comma (the last one
// repeats when commas run out); each keeps its low 8 bits.
LedColours ParseColoursLine(const std::string& line);

std::string FormatLayoutLine(bool compact);
// Only the exact line "Compact=1" means the compact layout.
inline bool IsCompactLine(const std::string& line) { return line == "Compact=1"; }

}  // namespace scheme
