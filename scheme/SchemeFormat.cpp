#include "scheme/SchemeFormat.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "board/Arith.h"
#include "framework/AnsiText.h"

namespace scheme {

std::string FormatSlotFields(const SlotLine& line) {
    // The position as "%f" writes a whole number, exactly, however large.
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%i|%i|%i|", line.volume, line.countDown ? 1 : 0, line.loop ? 1 : 0);
    // A name can hold no "|": it would shift every field after it.
    return line.path + "|" + fw::EraseAnsi(line.name, '|') + "|" + std::to_string(line.position) + ".000000|" + numbers;
}

std::array<std::string, 6> SplitSlotFields(const std::string& line) {
    std::array<std::string, 6> fields;
    std::string rest = line;
    for (auto& field : fields) {
        const auto bar = fw::FindAnsi(rest, '|');
        if (bar == std::string::npos) break;  // this and every later field stay empty
        field = rest.substr(0, bar);
        rest = rest.substr(bar + 1);
    }
    return fields;
}

int FieldToInt(const std::string& field) { return board::TruncToInt32(std::atof(field.c_str())); }

std::uint64_t FieldToPosition(const std::string& field) {
    const double v = std::atof(field.c_str());
    if (!(v >= 0) || v >= 18446744073709551615.0) return ~std::uint64_t{0};
    return static_cast<std::uint64_t>(v);
}

std::string FormatColoursLine(const LedColours& c) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Colours=%i,%i,%i,%i,%i,%i", static_cast<int>(c.on & 0xFF),
                  static_cast<int>(c.on >> 8 & 0xFF), static_cast<int>(c.on >> 16 & 0xFF),
                  static_cast<int>(c.off & 0xFF), static_cast<int>(c.off >> 8 & 0xFF),
                  static_cast<int>(c.off >> 16 & 0xFF));
    return buf;
}

LedColours ParseColoursLine(const std::string& line) {
    std::string rest = line.size() > 8 ? line.substr(8) : std::string();
    std::uint32_t n[6];
    for (auto& value : n) {
        // strtol rather than atoi: same reading, but defined for huge numbers.
        value = static_cast<std::uint32_t>(std::strtol(rest.c_str(), nullptr, 10)) & 0xFF;
        const auto comma = rest.find(',');
        if (comma != std::string::npos) rest = rest.substr(comma + 1);
    }
    return {n[0] | n[1] << 8 | n[2] << 16, n[3] | n[4] << 8 | n[5] << 16};
}

std::string FormatLayoutLine(bool compact) { return compact ? "Compact=1" : "Compact=0"; }

}  // namespace scheme
