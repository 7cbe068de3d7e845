#pragma once

#include "lumped/simulation.h"
#include "models/cycle.h"

namespace euler {

// The balances of a lumped run so far.
Totals totalsOf(const Simulation &simulation);

// The ideal cycle with the lumped chamber's clearance volume.
IdealCycle idealCycle(const ChamberModel &model);

} // namespace euler
