// The streaming part of the benchmark: the board with 18 hour-long sounds
// against itself with 18 thirty-second ones, and both against a floor
// program that streams the least way (stream_floor.cpp).
#pragma once

#include <string>
#include <vector>

#include "Audio.h"

namespace bench {

// The sine the stream is checked with: 100 samples a cycle.
constexpr double kSineHz = 441;

// A capture of a streamed sine of kSineHz on the left and the same sine held
// whole on the right: the breaks of the stream's own (silence on the left
// alone, a lasting change of the channels' distance), with `gaps` the
// seconds of silence on both (the sound server's, taken out) and `heard` the
// seconds judged. -1 when too little was heard.
int PhaseBreaks(const e2e::Pcm& captured, double& heard, double& gaps);

// A capture of streamed tones of `hz` on the left (each whole cycles in
// 10 ms) and a sound held whole on the right: the seconds each tone was
// missing from `from` to `to` while the sound server played (the 10 ms
// windows with the server's own gaps, silence on both channels, left out).
std::vector<double> TonesLost(const e2e::Pcm& pcm, const std::vector<double>& hz, double from, double to);

struct StreamBenchOptions {
  bool quick = false;        // every step once, with short sounds and runs
  int rounds = 2;
  double window = 2.0;       // seconds of one CPU window
  int windows = 3;           // per round
  double stressSeconds = 600;  // the streamed sine under load
  bool slowOnly = false;       // only the six streams from slow files
};

// Writes the sounds (and removes the hour-long ones afterwards), runs the
// programs and returns the Markdown section; ok is false when a step left
// no figures.
std::string RunStreamBench(const StreamBenchOptions& options, const std::string& dir, bool& ok);

}  // namespace bench
