#pragma once

#include "chamber/chambersimulation.h"
#include "io/pvdwriter.h"
#include "io/vtuwriter.h"

#include <filesystem>
#include <vector>

namespace euler::chamber {

// The chamber's cells for ParaView: vtk/chamber_NNN.vtu in the case
// directory (NNN the crank angle in whole degrees, three digits at least)
// with the cell fields density (kg/m3), pressure (Pa), velocity (m/s) and
// temperature (K), and chamber.pvd listing them by crank angle.
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
    std::vector<double> temperature_;
};

} // namespace euler::chamber
