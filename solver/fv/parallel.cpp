#include "fv/parallel.h"

#ifdef _OPENMP
#include <omp.h>
#endif

namespace euler::fv {

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

} // namespace euler::fv
