#pragma once
// The decoding part of the bench: a scheme of 18 one-minute MP3s loaded by
// the board against a single-threaded loop of the same decoder over them,
// and the seam of a looped MP3 as heard.
#include <string>

#include "Audio.h"

namespace bench {

// Measures, prints the table and, when `out` names a file, rewrites its
// "decode" section. False when a step failed.
bool RunDecodeBench(bool quick, int rounds, const std::string& out);

// A capture of a looping tone on the left (the MP3) beside the same tone on
// the right (a WAV held whole), from when both sound: the 10 ms windows, one
// every millisecond, in which the left is below half its typical level while
// the right is not, counted as dips (a run of such windows is one dip).
// Windows in which the right is low too are the sound server's gaps, their
// time in `gaps`; `heard` the seconds judged. -1 when too little was heard.
int SeamDips(const e2e::Pcm& captured, double& heard, double& gaps);

}  // namespace bench
