// The solver's pocket mesh reader on any bytes, under the trap build's
// floating-point traps: a mesh is read or refused with a RunError, and a mesh
// it reads has a finite width.
#include "fptraps.h"
#include "fuzzinput.h"

#include "io/inputerror.h"
#include "io/pocketmesh.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::filesystem::path &file = fuzz::scratchFile(data, size);
    const fuzz::FloatingPointTraps traps;
    try {
        const euler::PocketMeshSummary mesh = euler::summarize(euler::readPocketHexMesh(file, 0.001));
        fuzz::require(std::isfinite(mesh.maxAbsY) && mesh.maxAbsY >= 0, "a pocket's width is finite");
        fuzz::require(mesh.nodes >= 0 && mesh.hexahedra >= 0, "mesh counts are not negative");
    } catch (const euler::RunError &error) {
        fuzz::require(error.exitCode() == euler::RunError::BadInput, "a pocket mesh is refused as bad input");
    }
    return 0;
}
