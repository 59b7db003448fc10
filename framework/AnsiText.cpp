#include "framework/AnsiText.h"

#include <cstring>
#include <vector>

#ifdef _WIN32
#include <mbstring.h>
#endif

namespace fw {

std::string ToUpperAnsi(std::string text) {
#ifdef _WIN32
    std::vector<unsigned char> buf(text.begin(), text.end());
    buf.push_back(0);
    _mbsupr(buf.data());
    return std::string(reinterpret_cast<const char*>(buf.data()));
#else
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
#endif
}

bool EqualsIgnoreCaseAnsi(const std::string& a, const std::string& b) {
#ifdef _WIN32
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                    reinterpret_cast<const unsigned char*>(b.c_str())) == 0;
#else
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
#endif
}

namespace {
// Bytes in the character that starts at text[i]: 2 for a lead byte followed
// by its trail byte, else 1.
std::size_t CharLength(const std::string& text, std::size_t i) {
#ifdef _WIN32
    if (_ismbblead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() && text[i + 1] != 0) return 2;
#else
    (void)text;
    (void)i;
#endif
    return 1;
}
}  // namespace

std::size_t FindAnsi(const std::string& text, char ch, std::size_t from) {
    std::size_t i = 0;
    for (; i < text.size(); i += CharLength(text, i))
        if (i >= from && text[i] == ch) return i;
    return std::string::npos;
}

std::size_t FindLastAnsi(const std::string& text, char ch) {
    const char chars[] = {ch, 0};
    return FindLastOfAnsi(text, chars);
}

std::size_t FindLastOfAnsi(const std::string& text, const char* chars) {
    std::size_t found = std::string::npos;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i))
        if (text[i] && std::strchr(chars, text[i])) found = i;
    return found;
}

std::string EraseAnsi(const std::string& text, char ch) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = CharLength(text, i);
        if (n > 1 || text[i] != ch) out.append(text, i, n);
        i += n;
    }
    return out;
}

std::string PrefixAnsi(const std::string& text, std::size_t bytes) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t n = CharLength(text, end);
        if (end + n > bytes) break;
        end += n;
    }
    return text.substr(0, end);
}

std::string ErrorText(int errnum) {
    const char* text = std::strerror(errnum);
    return text ? text : "Unknown error";
}

}  // namespace fw
