#pragma once

namespace euler::fv {

// Threads the solver's loops use (OpenMP); results do not depend on it.
int threadCount();
void setThreadCount(int threads);

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
