// The registry value rule: any bytes and count give the text before the first
// zero byte within the buffer.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "framework/RegistryValue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const std::size_t count = std::min(size, fw::kRegValueBufferSize);
    const std::string text = fw::RegValueText(bytes, count);
    fuzz::Check(text.size() <= count && std::memcmp(text.data(), bytes, text.size()) == 0, "text is a prefix");
    fuzz::Check(text.size() == count || bytes[text.size()] == 0, "text ends at a zero byte or the buffer's end");
    fuzz::Check(text.find('\0') == std::string::npos, "no zero byte in the text");
    return 0;
}
