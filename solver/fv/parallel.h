#pragma once

namespace euler::fv {

// Threads the solver's loops use (OpenMP); results do not depend on it.
int threadCount();
void setThreadCount(int threads);

} // namespace euler::fv
