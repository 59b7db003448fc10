#pragma once
// The reading rule of the board's registry string values, window-free.
#include <cstddef>
#include <string>

namespace scheme {

// A value is read into a buffer of this many bytes.
constexpr std::size_t kValueBufferSize = 255;

// The text of a value read as `count` bytes (at most kValueBufferSize): up
// to the first zero byte within them, or all of them when there is none.
std::string ValueText(const char* bytes, std::size_t count);

}  // namespace scheme
