#pragma once

#include "fv/hexmesh.h"

#include <string>
#include <vector>

namespace euler::pockets {

// The mapped pocket mesh is centred on the head plane z = 0, which its cells
// cross: the half of the pocket above it lies behind the cylinder head, where
// the chamber ends. Every hexahedron crossing the plane is cut into the part
// above and the part below it, which are hexahedra again when four parallel
// edges cross the plane (opposite faces on either side, as the O-grid of a
// pocket mesh centred on the plane has them); boundary quads crossing it are
// cut likewise. The points where the edges cross become nodes with z exactly
// 0, one per edge, shared by every cell and quad on that edge; an edge whose
// ends both lie on the bore (r = boreRadius) has its point put back onto the
// bore, so that the pocket's opening stays on it.
//
// A node within headPlaneTolerance of the plane counts as on it. Throws
// RunError (BadInput) naming `file` when a hexahedron crosses the plane
// otherwise (the hexahedron's number in the file and its nodes' sides).
inline constexpr double headPlaneTolerance = 1e-9; // m

struct HeadPlaneSplit
{
    fv::HexMesh hex;
    std::vector<fv::HexMesh::Index> sourceCell; // per cell, the hexahedron it was cut from (0-based)
};
HeadPlaneSplit splitAtHeadPlane(const fv::HexMesh &mapped, double boreRadius, const std::string &file);

} // namespace euler::pockets
