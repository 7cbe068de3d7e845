#pragma once

namespace euler::fv {

// Threads the solver's loops use (OpenMP); results do not depend on it.
int threadCount();
void setThreadCount(int threads);

// Loops over fewer items run on one thread: waking the others for them
// costs more than it saves (a sleeping thread takes some ten microseconds
// to start, parallel.cpp).
constexpr int parallelFrom = 4096;

// The threads a mesh of that many cells runs best on, when neither the
// caller nor OMP_NUM_THREADS fixes the count: one per parallelFrom cells, at
// least one, at most threadCount() (a box of 5,500 cells ran as fast on two
// threads as on one, one of 9,800 1.34 times faster; the sample chamber with
// its pockets, 3,588 cells, slower on two).
int threadsForCells(long cells);

// Threads that wait at the end of a loop sleep instead of spinning
// (OMP_WAIT_POLICY=PASSIVE) unless the environment says otherwise: on cores
// shared with other work a spinning thread takes the time the working one
// needs (two threads spinning by default ran a step 4 to 12 times slower
// than one thread on this project's loaded build machine, passive ones 1.3
// to 1.7 times faster). OpenMP reads the policy before main, so on Linux
// the program starts itself again with it; elsewhere, or if that fails, it
// carries on as it is. Call first thing in main.
void preferPassiveWaiting(char **argv);

// Whether the loops use the AVX2 forms (four-wide vectors, three-operand
// instructions): where the processor has AVX2, unless switched off. Results
// do not depend on it either; the tests compare both ways.
bool wideVectors();
void setWideVectors(bool on);

// The calling thread's block of [0, count) inside a parallel region, as
// schedule(static) would give it; [0, count) outside one.
struct IndexRange
{
    int begin, end;
};
IndexRange threadShare(int count);

} // namespace euler::fv
