#pragma once
// How a text value is read back from the registry: values are written
// without their terminating zero and read into a buffer of fixed size.
// Window-free, so that the host tests and the fuzzer check the rule.
#include <cstddef>
#include <string>

namespace fw {

constexpr std::size_t kRegValueBufferSize = 255;

// The text of a value read into the buffer: up to the first zero byte within
// the `count` bytes returned (count is at most kRegValueBufferSize).
std::string RegValueText(const char* bytes, std::size_t count);

}  // namespace fw
