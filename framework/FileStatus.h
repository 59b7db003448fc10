#pragma once
#include <cstdint>
#include <string>

namespace fw {

// A status query on a path: true with its size when the file exists.
bool QueryFileSize(const std::string& path, std::uint64_t& size);
inline bool FileExists(const std::string& path) {
    std::uint64_t size;
    return QueryFileSize(path, size);
}

}  // namespace fw
