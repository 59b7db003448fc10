#include "scheme/SettingsFormat.h"

#include <cstring>

namespace scheme {

std::string ValueText(const char* bytes, std::size_t count) {
    if (!bytes) return std::string();
    if (count > kValueBufferSize) count = kValueBufferSize;
    const void* zero = std::memchr(bytes, 0, count);
    return std::string(bytes, zero ? static_cast<const char*>(zero) : bytes + count);
}

}  // namespace scheme
