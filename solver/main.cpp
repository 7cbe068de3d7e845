// euler.exe: started by the front end in ExecutingFiles with one empty
// argument; reads the case inputs from the parent directory and writes the
// results into ../<case name>/.
#include "core/runcase.h"

#if !defined(NDEBUG) && defined(__GLIBC__)
#include <fenv.h>
#endif

int main()
{
#if !defined(NDEBUG) && defined(__GLIBC__)
    // Debug builds stop at the first invalid, divide-by-zero or overflow.
    feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
#endif
    return euler::runCase("..").exitCode;
}
