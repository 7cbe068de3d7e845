#pragma once

// The solver's run log, "euler.log" in the case directory (in the root when
// the case name cannot be read). People read it; the front end follows it
// while a run goes on and looks for these lines, each at the start of a line.
namespace formats::solverlog {

inline constexpr char fileName[] = "euler.log";

// "Run from crank angle 0 to 720 deg: ..." near the top: the target.
inline constexpr char targetPrefix[] = "Run from crank angle 0 to ";
// "crank angle 120 deg: ..." while the run goes on: the crank angle reached.
inline constexpr char progressPrefix[] = "crank angle ";
// "ERROR: <reason>": why the run stopped; the last one counts.
inline constexpr char errorPrefix[] = "ERROR: ";
// The last line of a run that ended: "Finished after 1234 time steps." when
// it succeeded, "Stopped with exit status 3." when it did not.
inline constexpr char finishedPrefix[] = "Finished after ";
inline constexpr char stoppedPrefix[] = "Stopped with exit status ";

} // namespace formats::solverlog
