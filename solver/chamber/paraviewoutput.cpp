#include "chamber/paraviewoutput.h"

#include "formats/caselayout.h"

#include <system_error>

namespace euler::chamber {

ParaViewOutput::ParaViewOutput(const ChamberSimulation &simulation, const std::filesystem::path &caseDirectory)
    : caseDirectory_(caseDirectory), writer_(simulation.hex()), pvd_(caseDirectory / collection)
{
    const pockets::PlacedPockets &placed = simulation.pockets();
    region_.resize(static_cast<size_t>(simulation.hex().cellCount()));
    for (size_t c = 0; c < region_.size(); ++c)
        region_[c] = placed.pocketOfCell(static_cast<Index>(c)) + 1;
    std::error_code ec;
    std::filesystem::create_directories(caseDirectory / directory, ec);
}

std::string ParaViewOutput::fileName(int degree)
{
    return std::string(directory) + "/chamber_" + formats::caselayout::stepNumber(degree) + ".vtu";
}

void ParaViewOutput::write(int degree, const ChamberSimulation &simulation)
{
    const fv::Solver &s = simulation.solver();
    const fv::PrimitiveFields &w = s.primitives();
    temperature_.resize(w[fv::Rho].size());
    for (size_t c = 0; c < temperature_.size(); ++c)
        temperature_[c] = w[fv::Pressure][c] / (w[fv::Rho][c] * s.eos().R);
    const std::string name = fileName(degree);
    writer_.write(caseDirectory_ / name, s.nodes().x, s.nodes().y, s.nodes().z,
                  {{"density", {&w[fv::Rho]}},
                   {"pressure", {&w[fv::Pressure]}},
                   {"velocity", {&w[fv::VelocityX], &w[fv::VelocityY], &w[fv::VelocityZ]}},
                   {"temperature", {&temperature_}},
                   {"region", {&region_}}});
    pvd_.add(simulation.crankAngleDeg(), name);
}

} // namespace euler::chamber
