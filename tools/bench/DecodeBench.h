#pragma once
// The decoding part of the bench: a scheme of 18 one-minute MP3s loaded by
// the board against a single-threaded loop of the same decoder over them.
#include <string>

namespace bench {

// Measures, prints the table and, when `out` names a file, rewrites its
// "decode" section. False when a step failed.
bool RunDecodeBench(bool quick, int rounds, const std::string& out);

}  // namespace bench
