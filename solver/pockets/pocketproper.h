#pragma once

#include "fv/hexmesh.h"
#include "pockets/borepolygon.h"

#include <string>
#include <vector>

namespace euler::pockets {

using Index = fv::HexMesh::Index;

// The pocket proper of a mapped pocket mesh: its cells beyond the bore
// surface, in the pocket's own axes (x outward along the pocket axis, y
// tangential, z along the cylinder axis; metres). The cone and transition
// zones lie inside the bore, where the chamber mesh is, and are left out. The
// faces the cut leaves on the bore join the patch bore_opening, the pocket's
// opening into the chamber; pocket_wall and valve_seat keep their faces.
struct PocketProper
{
    fv::HexMesh hex;               // patches as readPocketHexMesh gives them
    std::vector<Index> sourceCell; // per cell, its hexahedron in the file (0-based)
    double volume = 0;             // m^3
    // Largest |atan2(y, x)| of the pocket's nodes: half the angle it spans
    // on the bore, where it is widest.
    double halfAngle = 0;
};

// Relative tolerance on the bore radius within which a node lies on the bore
// (the mapped mesh is written with six decimals of a millimetre).
inline constexpr double onBoreTolerance = 1e-6;

// Cuts the pocket proper out of a mapped pocket mesh (readPocketHexMesh) for
// a bore of radius R. A cell is outside when all its nodes are (to
// onBoreTolerance). Throws RunError (BadInput) naming `file` and the reason:
// a hexahedron inverted or degenerate, cells that do not close into a mesh,
// a hexahedron crossing the bore surface, no hexahedron outside the bore, a
// pocket that does not reach the bore (no opening on it, or an opening face
// off it), an opening face that is not a convex quadrilateral on the bore.
PocketProper pocketProper(const fv::HexMesh &mapped, double boreRadius, const std::string &file);

// The polygon of a pocket's boundary quad on the bore, counter-clockwise in
// (a, z) about the pocket's axis: a = R atan2(y, x). An opening quad is
// counter-clockwise seen from the chamber (its normal points to the axis), so
// its polygon takes the nodes in reverse.
ArcPolygon openingPolygon(const fv::HexMesh &pocket, const fv::HexMesh::BoundaryQuad &quad, double boreRadius);

} // namespace euler::pockets
