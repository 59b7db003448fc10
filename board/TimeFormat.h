#pragma once
#include <string>

namespace board {

struct TimeText {
    int minutes = 0;
    int seconds = 0;  // 0..59
    int tenths = 0;   // 0..9
    std::string minSec;      // "%02i;%02i": the displays draw ';' as a colon
    std::string tenthsText;  // ".%01i"
};

// Splits a time in seconds by truncation, never rounding up: 59.99 s is 00;59 .9.
TimeText FormatTime(float seconds);

enum class DisplayKind { Title = 1, Time = 2, Tenths = 3 };

// The text a slot display receives for a given owner text: a title "name|rest"
// becomes the name cut or padded to 19 columns, a space, then the rest; times
// and tenths are padded on the right to 6 and 2 columns.
std::string DisplayTextFor(DisplayKind kind, const std::string& text);

}  // namespace board
