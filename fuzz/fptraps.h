#pragma once

// Floating-point traps around one fuzz input, as the solver's trap build
// runs: an invalid operation, a division by zero or an overflow is a crash.
#include <fenv.h>

namespace fuzz {

class FloatingPointTraps
{
public:
    FloatingPointTraps()
    {
        feclearexcept(FE_ALL_EXCEPT);
        feenableexcept(traps);
    }
    ~FloatingPointTraps() { fedisableexcept(traps); }
    FloatingPointTraps(const FloatingPointTraps &) = delete;
    FloatingPointTraps &operator=(const FloatingPointTraps &) = delete;

private:
    static constexpr int traps = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
};

} // namespace fuzz
