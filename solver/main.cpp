// euler.exe: started by the front end in ExecutingFiles with one empty
// argument; reads the case inputs from the parent directory and writes the
// results into ../<case name>/.
#include "fv/parallel.h"
#include "lumped/runcase.h"

// Debug builds, and the trap build the tests run, stop at the first invalid,
// divide-by-zero or overflow instead of carrying NaN into the results.
#if (!defined(NDEBUG) || defined(EULER_FP_TRAPS)) && defined(__GLIBC__)
#define EULER_TRAP_FP 1
#include <fenv.h>
#endif

int main(int, char **argv)
{
    euler::fv::preferPassiveWaiting(argv);
#ifdef EULER_TRAP_FP
    feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
#endif
    return euler::runCase("..").exitCode;
}
