#pragma once
// 8-bit text in the system's ANSI code page. On Windows the C runtime's
// multibyte functions handle double-byte characters whole; on the host
// (tests) plain ASCII rules apply.
#include <string>

namespace fw {

std::string ToUpperAnsi(std::string text);
// Case-insensitive equality, multibyte characters compared whole.
bool EqualsIgnoreCaseAnsi(const std::string& a, const std::string& b);
// Searches that never take the second byte of a double-byte character for
// the character sought: byte offsets, or npos.
std::size_t FindAnsi(const std::string& text, char ch, std::size_t from = 0);
std::size_t FindLastAnsi(const std::string& text, char ch);
// The last of any of the single-byte characters in `chars` (path separators).
std::size_t FindLastOfAnsi(const std::string& text, const char* chars);
// The text without any of the (single-byte) character ch.
std::string EraseAnsi(const std::string& text, char ch);
// The longest start of text of at most `bytes` bytes that ends on a whole character.
std::string PrefixAnsi(const std::string& text, std::size_t bytes);

// The C runtime's description of an errno value.
std::string ErrorText(int errnum);

}  // namespace fw
