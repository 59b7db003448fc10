#pragma once
// Opt-in time stamps for measuring the program from outside: when the
// environment variable CLANGSTER_TRACE names a file at start-up, Stamp()
// records the event with the performance counter, and the stamps are
// written to that file when the program ends. Off, Stamp() is one test.
//
// File: a line "freq F" (counts per second), then "EVENT COUNT" lines.
namespace fw::trace {

// Reads the variable and stamps "start"; call first thing in the program.
void Start();
// event must be a string literal (it is kept, not copied).
void Stamp(const char* event);
bool On();

}  // namespace fw::trace
