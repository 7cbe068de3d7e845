// The 3D chamber's mesh builder on what its generator is given: bore and rod
// radius, the cell counts n1, n2, n3, both gradings and the gap at top dead
// centre, drawn from the input (edge values of the shared input rules
// included) and kept only where those rules accept them; an input that
// speaks of " nodes", as every pocket mesh does, is a pocket mesh instead,
// read by the solver's reader and checked against the pocket as the 3D run
// does (the chamber takes only its summary so far). Under the trap build's
// floating-point traps:
//  - the mesh has the cells, nodes and faces meshCounts promises, and its
//    memory estimate is finite and positive;
//  - the finite-volume mesh built from it has cells of finite positive volume.
#include "fptraps.h"
#include "fuzzinput.h"

#include "chamber/chambermesh.h"
#include "chamber/chambersimulation.h"
#include "fv/geometry.h"
#include "fv/mesh.h"
#include "io/caseinputs.h"
#include "io/inputerror.h"
#include "io/pocketmesh.h"
#include "io/runlog.h"

#include "formats/inputrules.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

namespace rules = formats::inputrules;
using namespace euler;
using namespace euler::chamber;

// Chambers beyond this many cells take too long for one input.
constexpr double mostCells = 1500;

class Bytes
{
public:
    Bytes(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    unsigned next() { return at_ < size_ ? data_[at_++] : 0; }
    unsigned next16() { return next() | next() << 8; }

    // A value in [low, high]: the ends, their neighbours or a step between,
    // spaced logarithmically when the range spans decades.
    double within(double low, double high)
    {
        const unsigned pick = next16();
        if (pick % 16 == 0)
            return pick & 16 ? high : low;
        const double t = (pick >> 4) / 4095.0;
        if (low > 0 && high / low > 100)
            return low * std::pow(high / low, t);
        return low + t * (high - low);
    }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

void meshFromGeneratorInputs(Bytes &in)
{
    const double pistonDiameter = in.within(rules::pistonDiameter.low, rules::pistonDiameter.high);
    const double rodDiameter = in.next() % 4 == 0 ? 0 : in.within(0, pistonDiameter);
    const double gap = in.within(rules::minimalGap.low, rules::minimalGap.high);
    ChamberMeshSpec spec;
    spec.boreRadius = 0.5 * pistonDiameter;
    spec.rodRadius = 0.5 * rodDiameter;
    spec.n1 = 1 + static_cast<int>(in.next() % 40);
    spec.n2 = static_cast<int>(in.next() % 12);
    spec.n3 = 1 + static_cast<int>(in.next() % 24);
    spec.gradingPiston = in.within(1e-5, 0.99999);
    spec.gradingRod = in.within(1e-5, 0.99999);
    if (!rules::rodDiameter.contains(rodDiameter) || !rules::rodFitsPiston(rodDiameter, pistonDiameter)
        || !rules::grading.contains(spec.gradingPiston) || !rules::grading.contains(spec.gradingRod))
        return;

    const fuzz::FloatingPointTraps traps;
    const MeshCounts counts = meshCounts(spec);
    const double memory = chamberMemoryBytes(spec);
    fuzz::require(std::isfinite(memory) && memory > 0, "the memory estimate is finite and positive");
    if (counts.cells > mostCells)
        return;
    const ChamberMesh mesh(spec, gap);
    const fv::HexMesh &hex = mesh.hex();
    fuzz::require(static_cast<double>(hex.cells.size()) == counts.cells, "meshCounts gives the cells");
    fuzz::require(static_cast<double>(hex.nodeCount()) == counts.nodes, "meshCounts gives the nodes");
    const fv::Mesh fvMesh(hex);
    fuzz::require(static_cast<double>(fvMesh.faceCount()) == counts.faces, "meshCounts gives the faces");
    fv::NodePositions nodes;
    nodes.assign(hex);
    fv::Geometry geometry;
    geometry.resize(fvMesh);
    geometry.update(fvMesh, nodes);
    for (double volume : geometry.volume)
        fuzz::require(std::isfinite(volume) && volume > 0, "the chamber's cells have positive volumes");
}

void pocketMesh(const std::uint8_t *data, std::size_t size)
{
    const std::filesystem::path &file = fuzz::scratchFile(data, size);
    const fuzz::FloatingPointTraps traps;
    try {
        const PocketMeshSummary summary = summarize(readPocketHexMesh(file, 0.001));
        fuzz::require(std::isfinite(summary.maxAbsY), "the summary is finite");
        ValveInput valves;
        valves.pocketRadiusMm = 100;
        RunLog log(false);
        checkPocketMesh(log, summary, valves);
    } catch (const RunError &error) {
        fuzz::require(error.exitCode() == RunError::BadInput, "a pocket mesh is refused as bad input");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    if (text.find(" nodes") != std::string_view::npos) {
        pocketMesh(data, size);
        return 0;
    }
    Bytes in(data, size);
    try {
        meshFromGeneratorInputs(in);
    } catch (const fv::MeshError &error) {
        fuzz::fail(error.what());
    }
    return 0;
}
