// euler.exe: started by the front end in ExecutingFiles with one empty
// argument, which runs the three-dimensional chamber model; "--lumped" runs
// the lumped model instead. Both read the case inputs from the parent
// directory and write the results into ../<case name>/.
#include "chamber/chamberrun.h"
#include "fv/parallel.h"
#include "lumped/runcase.h"

#include <cstdio>
#include <cstring>

// Debug builds, and the trap build the tests run, stop at the first invalid,
// divide-by-zero or overflow instead of carrying NaN into the results.
#if (!defined(NDEBUG) || defined(EULER_FP_TRAPS)) && defined(__GLIBC__)
#define EULER_TRAP_FP 1
#include <fenv.h>
#endif

int main(int argc, char **argv)
{
    euler::fv::preferPassiveWaiting(argv);
#ifdef EULER_TRAP_FP
    feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
#endif
    const char *mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "--lumped") == 0)
        return euler::runLumpedCase("..").exitCode;
    if (*mode != '\0' || argc > 2) {
        std::fprintf(stderr, "usage: euler.exe [\"\" | --lumped], started in ExecutingFiles\n");
        return 1;
    }
    return euler::chamber::runChamberCase("..").exitCode;
}
