// The solver's pocket mesh reader on any bytes, under the trap build's
// floating-point traps: a mesh is read or refused with a RunError, and a mesh
// it reads has a finite width. A mesh read is then cut into its pocket and
// recess for the sample's bore (cut at the head plane, columns merged), which
// again ends in a pocket or a RunError, never a crash or a trap.
#include "fptraps.h"
#include "fuzzinput.h"

#include "io/inputerror.h"
#include "io/pocketmesh.h"
#include "pockets/pocketcolumns.h"
#include "pockets/pocketproper.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::filesystem::path &file = fuzz::scratchFile(data, size);
    const fuzz::FloatingPointTraps traps;
    try {
        const euler::fv::HexMesh hex = euler::readPocketHexMesh(file, 0.001);
        const euler::PocketMeshSummary mesh = euler::summarize(hex);
        fuzz::require(std::isfinite(mesh.maxAbsY) && mesh.maxAbsY >= 0, "a pocket's width is finite");
        fuzz::require(mesh.nodes >= 0 && mesh.hexahedra >= 0, "mesh counts are not negative");
        euler::pockets::PocketProper pocket = euler::pockets::pocketProper(hex, 0.34, file.string());
        fuzz::require(pocket.properCells() > 0 && pocket.recessCells >= 0, "a pocket has cells beyond the bore");
        euler::pockets::mergeColumns(pocket);
        fuzz::require(pocket.properCells() > 0, "merging keeps the pocket");
    } catch (const euler::RunError &error) {
        fuzz::require(error.exitCode() == euler::RunError::BadInput, "a pocket mesh is refused as bad input");
    }
    return 0;
}
