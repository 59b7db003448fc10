#pragma once
// 8-bit text in the system's ANSI code page. On Windows the C runtime's
// multibyte functions handle double-byte characters whole; on the host
// (tests) plain ASCII rules apply.
#include <string>

namespace fw {

std::string ToUpperAnsi(std::string text);
// Case-insensitive equality, multibyte characters compared whole.
bool EqualsIgnoreCaseAnsi(const std::string& a, const std::string& b);
// The C runtime's description of an errno value.
std::string ErrorText(int errnum);

}  // namespace fw
