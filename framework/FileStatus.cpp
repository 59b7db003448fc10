#include "framework/FileStatus.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cctype>
#include <cerrno>

#include "framework/AnsiText.h"

namespace fw {

bool IsWindowsDeviceName(const std::string& path) {
    const auto slash = FindLastOfAnsi(path, "\\/:");
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.pop_back();  // "NUL .wav" is NUL too
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL" || name == "CONIN$" || name == "CONOUT$")
        return true;
    return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) &&
           name[3] >= '1' && name[3] <= '9';
}

bool QueryFileSize(const std::string& path, std::uint64_t& size) {
    if (path.empty()) return false;
#ifdef _WIN32
    if (IsWindowsDeviceName(path)) return false;
    struct _stati64 st;
    if (_stati64(path.c_str(), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) return false;
#else
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
#endif
    size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool IsFileOrMissing(const std::string& path) {
    std::uint64_t size = 0;
    if (QueryFileSize(path, size)) return true;
#ifdef _WIN32
    if (IsWindowsDeviceName(path)) return false;
    struct _stati64 st;
    return _stati64(path.c_str(), &st) != 0 && errno == ENOENT;
#else
    struct stat st;
    return stat(path.c_str(), &st) != 0 && errno == ENOENT;
#endif
}

}  // namespace fw
