#pragma once

#include "chamber/chambersimulation.h"
#include "io/pvdwriter.h"
#include "io/vtuwriter.h"

#include <filesystem>
#include <vector>

namespace euler::chamber {

// The chamber's and the pockets' cells for ParaView: vtk/chamber_NNN.vtu in
// the case directory (NNN the crank angle in whole degrees, three digits at
// least) with the cell fields density (kg/m3), pressure (Pa), velocity (m/s),
// temperature (K) and region (0 in the chamber, j in the pocket of valve j,
// valves numbered as in Output.txt), and chamber.pvd listing them by crank
// angle.
class ParaViewOutput
{
public:
    static constexpr char directory[] = "vtk";
    static constexpr char collection[] = "chamber.pvd";

    ParaViewOutput(const ChamberSimulation &simulation, const std::filesystem::path &caseDirectory);

    // The file name of crank angle `degree`, relative to the case directory.
    static std::string fileName(int degree);
    // Writes the state now as the file of crank angle `degree`; RunError on
    // failure (Diverged for a value that is not finite).
    void write(int degree, const ChamberSimulation &simulation);

private:
    std::filesystem::path caseDirectory_;
    VtuWriter writer_;
    PvdCollection pvd_;
    std::vector<double> temperature_, region_;
};

} // namespace euler::chamber
