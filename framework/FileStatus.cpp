#include "framework/FileStatus.h"

#include <sys/stat.h>
#include <sys/types.h>

namespace fw {

bool QueryFileSize(const std::string& path, std::uint64_t& size) {
    if (path.empty()) return false;
#ifdef _WIN32
    struct _stati64 st;
    if (_stati64(path.c_str(), &st) != 0) return false;
#else
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return false;
#endif
    size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

}  // namespace fw
