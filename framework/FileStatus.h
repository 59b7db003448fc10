#pragma once
#include <cstdint>
#include <string>

namespace fw {

// A status query on a path: true with its size when the file exists.
bool QueryFileSize(const std::string& path, std::uint64_t& size);

}  // namespace fw
