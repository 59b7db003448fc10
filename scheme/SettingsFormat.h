#pragma once
// The text form of the stored settings. Values are written without their
// terminating zero and read into a buffer of fixed size.
#include <cstddef>
#include <string>

namespace scheme {

constexpr std::size_t kValueBufferSize = 255;

// The text of a value read into the buffer: up to the first zero byte within
// the `count` bytes returned (count is at most kValueBufferSize).
std::string ValueText(const char* bytes, std::size_t count);

}  // namespace scheme
