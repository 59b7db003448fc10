#include "framework/RegistryValue.h"

#include <cstring>

namespace fw {

std::string RegValueText(const char* bytes, std::size_t count) {
    if (!bytes) return std::string();
    if (count > kRegValueBufferSize) count = kRegValueBufferSize;
    const void* zero = std::memchr(bytes, 0, count);
    return std::string(bytes, zero ? static_cast<const char*>(zero) : bytes + count);
}

}  // namespace fw
