#pragma once
// The OSC part of the bench: the board, with 18 sounds playing, driven over
// UDP from this host program and read from its time stamps: a datagram in →
// Play, 1,000 commands a second for a minute, and the feedback to 4
// subscribers, each against the same board without them.
#include <string>

namespace bench {

// Measures with the bench's scheme of 18 looping sounds, prints the table
// and, when `out` names a file, rewrites its "osc-bench" section. False when
// a step failed.
bool RunOscBench(bool quick, const std::string& schemePath, const std::string& out);

}  // namespace bench
