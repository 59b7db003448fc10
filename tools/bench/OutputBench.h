#pragma once
// The sound-output part of the bench: the board plays a looped tone on a
// chosen PulseAudio sink, which goes away and comes back (a USB interface
// whose cable is knocked): how long the sound takes to reach the default
// output after the loss, and the chosen one again after its return. Then the
// bench's 18 sounds play with and without a monitor that hears every sound
// (that sink): the CPU and the resident memory each way.
#include <string>

namespace bench {

// Prints the table and, when `out` names a file, rewrites its "output-bench"
// section. False when a step failed.
bool RunOutputBench(bool quick, const std::string& schemePath, const std::string& out);

}  // namespace bench
