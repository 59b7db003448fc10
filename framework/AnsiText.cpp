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

std::string ErrorText(int errnum) {
    const char* text = std::strerror(errnum);
    return text ? text : "Unknown error";
}

}  // namespace fw
