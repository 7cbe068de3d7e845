#include "fv/parallel.h"

#include <algorithm>
#include <cstdlib>

#ifdef __linux__
#include <unistd.h>
#endif

#ifdef _OPENMP
#include <omp.h>
#endif

namespace euler::fv {

namespace {

bool detectAvx2()
{
#if defined(__GNUC__) && defined(__x86_64__)
    __builtin_cpu_init(); // may run before the library's own initialisation
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

const bool avx2 = detectAvx2();
bool wide = avx2;

} // namespace

void preferPassiveWaiting(char **argv)
{
#ifdef __linux__
    if (std::getenv("OMP_WAIT_POLICY"))
        return;
    setenv("OMP_WAIT_POLICY", "PASSIVE", 1);
    execv("/proc/self/exe", argv);
#else
    (void)argv;
#endif
}

bool wideVectors() { return wide; }
void setWideVectors(bool on) { wide = on && avx2; }

int threadCount()
{
#ifdef _OPENMP
    return omp_get_max_threads();
#else
    return 1;
#endif
}

void setThreadCount(int threads)
{
#ifdef _OPENMP
    omp_set_num_threads(threads > 0 ? threads : 1);
#else
    (void)threads;
#endif
}

int threadsForCells(long cells)
{
    if (std::getenv("OMP_NUM_THREADS"))
        return threadCount();
    return static_cast<int>(std::clamp(cells / parallelFrom, 1L, static_cast<long>(threadCount())));
}

IndexRange threadShare(int count)
{
#ifdef _OPENMP
    const long threads = omp_get_num_threads(), t = omp_get_thread_num();
    // The first count % threads blocks are one longer.
    const long size = count / threads, extra = count % threads;
    const long begin = t * size + std::min(t, extra);
    return {static_cast<int>(begin), static_cast<int>(begin + size + (t < extra ? 1 : 0))};
#else
    return {0, count};
#endif
}

} // namespace euler::fv
