#include "board/TimeFormat.h"

#include <cstdio>

#include "board/Arith.h"
#include "framework/AnsiText.h"

namespace board {

TimeText FormatTime(float seconds) {
    TimeText r;
    // Clamped so that a sound too long for 32 bits still formats (as the longest time).
    const int whole = TruncToInt32(seconds);
    r.minutes = whole / 60;
    r.seconds = whole - 60 * r.minutes;
    const float fraction = seconds - static_cast<float>(whole);
    r.tenths = (fraction > -1.0f && fraction < 1.0f) ? TruncToInt32(fraction * 10.0f) : 0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02i;%02i", r.minutes, r.seconds);
    r.minSec = buf;
    std::snprintf(buf, sizeof buf, ".%01i", r.tenths);
    r.tenthsText = buf;
    return r;
}

std::string DisplayTextFor(DisplayKind kind, const std::string& text) {
    switch (kind) {
    case DisplayKind::Title: {
        const auto bar = fw::FindAnsi(text, '|');
        // Cut to the columns on a whole character, then padded to them.
        std::string name = bar == std::string::npos ? std::string() : fw::PrefixAnsi(text.substr(0, bar), 19);
        const std::string rest = bar == std::string::npos ? text : text.substr(bar + 1);
        name.resize(19, ' ');
        return name + ' ' + rest;
    }
    case DisplayKind::Time: {
        std::string t = text;
        if (t.size() < 6) t.resize(6, ' ');
        return t;
    }
    case DisplayKind::Tenths: {
        std::string t = text;
        if (t.size() < 2) t.resize(2, ' ');
        return t;
    }
    }
    return text;
}

}  // namespace board
