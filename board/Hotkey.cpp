#include "board/Hotkey.h"

#include "framework/AnsiText.h"

namespace board {

namespace {
constexpr unsigned kKnownFlags = kHotkeyShift | kHotkeyControl | kHotkeyAlt | kHotkeyExtended;
constexpr std::size_t kNameColumns = 19;   // of a title, before the key label
constexpr std::size_t kHotkeyColumns = 13;  // leaves a name at least five

struct NamedKey {
    unsigned vk;
    const char* name;
};
// Keys other than letters, digits and F1..F24, as keyboards print them; the
// punctuation keys as on a US keyboard.
constexpr NamedKey kKeyNames[] = {
    {0x03, "Break"},   {0x08, "Backspace"}, {0x09, "Tab"},       {0x0C, "Clear"},       {0x0D, "Enter"},
    {0x13, "Pause"},   {0x14, "Caps Lock"}, {0x1B, "Esc"},       {0x20, "Space"},       {0x21, "PgUp"},
    {0x22, "PgDn"},    {0x23, "End"},       {0x24, "Home"},      {0x25, "Left"},        {0x26, "Up"},
    {0x27, "Right"},   {0x28, "Down"},      {0x2C, "PrtSc"},     {0x2D, "Ins"},         {0x2E, "Del"},
    {0x5D, "Menu"},    {0x6A, "Num *"},     {0x6B, "Num +"},     {0x6C, "Num ,"},       {0x6D, "Num -"},
    {0x6E, "Num ."},   {0x6F, "Num /"},     {0x90, "Num Lock"},  {0x91, "Scroll Lock"}, {0xBA, ";"},
    {0xBB, "="},       {0xBC, ","},         {0xBD, "-"},         {0xBE, "."},           {0xBF, "/"},
    {0xC0, "`"},       {0xDB, "["},         {0xDC, "\\"},        {0xDD, "]"},           {0xDE, "'"},
    {0xE2, "\\"},
};

std::string KeyName(std::uint16_t hotkey) {
    const unsigned vk = HotkeyKey(hotkey);
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, static_cast<char>(vk));
    if (vk >= 0x60 && vk <= 0x69) return "Num " + std::to_string(vk - 0x60);
    if (vk >= 0x70 && vk <= 0x87) return "F" + std::to_string(vk - 0x70 + 1);
    if (vk == 0x0D && (hotkey >> 8 & kHotkeyExtended)) return "Num Enter";
    for (const NamedKey& k : kKeyNames)
        if (k.vk == vk) return k.name;
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("Key ") + kHex[vk >> 4] + kHex[vk & 0xF];
}

// The modifiers in the order keyboards' own labels go, in full or by initial.
std::string Modifiers(std::uint16_t hotkey, bool brief) {
    const unsigned flags = hotkey >> 8;
    std::string text;
    if (flags & kHotkeyControl) text += brief ? "C+" : "Ctrl+";
    if (flags & kHotkeyAlt) text += brief ? "A+" : "Alt+";
    if (flags & kHotkeyShift) text += brief ? "S+" : "Shift+";
    return text;
}

bool SameCombination(std::uint16_t a, std::uint16_t b) {
    return HotkeyKey(a) == HotkeyKey(b) && HotkeyModifiers(a) == HotkeyModifiers(b);
}
}  // namespace

unsigned HotkeyModifiers(std::uint16_t hotkey) {
    const unsigned flags = hotkey >> 8;
    return (flags & kHotkeyShift ? kModShift : 0u) | (flags & kHotkeyControl ? kModControl : 0u) |
           (flags & kHotkeyAlt ? kModAlt : 0u);
}

std::string HotkeyToText(std::uint16_t hotkey) { return std::to_string(hotkey); }

std::uint16_t HotkeyFromText(const std::string& text) {
    if (text.empty() || text.size() > 5) return 0;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 0xFFFF || (value & 0xFF) == 0 || (value >> 8 & ~kKnownFlags)) return 0;
    return static_cast<std::uint16_t>(value);
}

std::string HotkeyText(std::uint16_t hotkey) {
    if (HotkeyKey(hotkey) == 0) return {};
    return Modifiers(hotkey, false) + KeyName(hotkey);
}

std::optional<std::pair<int, int>> FindSharedHotkey(const Hotkeys& hotkeys) {
    for (int i = 0; i < kHotkeyCount; ++i) {
        if (!HotkeyKey(hotkeys[static_cast<std::size_t>(i)])) continue;
        for (int j = i + 1; j < kHotkeyCount; ++j)
            if (SameCombination(hotkeys[static_cast<std::size_t>(i)], hotkeys[static_cast<std::size_t>(j)]))
                return std::make_pair(i, j);
    }
    return std::nullopt;
}

bool HasCommandModifier(std::uint16_t hotkey) { return (hotkey >> 8) & (kHotkeyControl | kHotkeyAlt); }

bool TakesAltGr(std::uint16_t hotkey) {
    const unsigned both = kHotkeyControl | kHotkeyAlt;
    return ((hotkey >> 8) & both) == both;
}

Action HotkeyAction(int index) {
    if (index == kHotkeyStopAll) return Action{Action::StopAll};
    if (index == kHotkeyFadeAll) return Action{Action::FadeAll};
    if (index >= kHotkeyFirstFavourite) return Action{Action::OpenFavourite, index - kHotkeyFirstFavourite};
    return Action{Action::Fire, index};
}

std::string HotkeyOwner(int index, const std::string& name) {
    if (index == kHotkeyStopAll) return "Stop all";
    if (index == kHotkeyFadeAll) return "Fade all";
    const std::string owner = index >= kHotkeyFirstFavourite
                                  ? "Favourite " + std::to_string(index - kHotkeyFirstFavourite + 1)
                                  : "Slot " + std::to_string(index + 1);
    return name.empty() ? owner : owner + " (" + name + ")";
}

std::string ControlKeyTitle(const std::string& name, unsigned key, std::uint16_t hotkey) {
    const std::string label = "|  " + KeyLabel(key) + "  ";
    if (!HotkeyKey(hotkey)) return name + label;
    std::string text = HotkeyText(hotkey);
    if (text.size() > kHotkeyColumns) {
        text = (Modifiers(hotkey, true) + KeyName(hotkey)).substr(0, kHotkeyColumns);
        while (text.back() == ' ') text.pop_back();
    }
    std::string shown = fw::PrefixAnsi(name, kNameColumns - text.size() - 1);
    shown.resize(kNameColumns - text.size(), ' ');
    return shown + text + label;
}

}  // namespace board
