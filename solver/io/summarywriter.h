#pragma once

#include "models/cycle.h"

#include <filesystem>
#include <string>
#include <vector>

namespace euler {

// "Summary.txt": '#' comment lines, then one "name (unit) = value" line per
// scalar result, so that both people and the front end's field splitting
// read it. Both chamber models write it.
std::string summaryText(const std::string &caseName, const Compressor &compressor, const CycleResult &cycle,
                        const IdealCycle &ideal, const std::vector<ImpactRecord> &impacts);

} // namespace euler
