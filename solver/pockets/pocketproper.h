#pragma once

#include "fv/hexmesh.h"
#include "pockets/borepolygon.h"

#include <string>
#include <vector>

namespace euler::pockets {

using Index = fv::HexMesh::Index;

// The pocket proper of a mapped pocket mesh: its cells beyond the bore
// surface, in the pocket's own axes (x outward along the pocket axis, y
// tangential, z along the cylinder axis; metres), and behind them the
// recess in the cylinder head. The mapped mesh's cone and transition zones
// lie inside the bore: in front of the head plane z = 0 the chamber mesh
// fills that space and they are left out; behind it, where the chamber ends
// at the head, their cells are the pocket's recess in the head, last in the
// cell order. The faces the cut leaves on the bore join the patch
// bore_opening (the pocket's opening into the chamber through the side
// wall), those on the head plane the patch head_opening (the recess's
// opening through the head); pocket_wall and valve_seat keep their faces,
// and the recess's own boundary faces (the cone's surface, behind the head
// plane a wall of the head) join pocket_wall.
struct PocketProper
{
    fv::HexMesh hex;               // patches as readPocketHexMesh gives them, then head_opening
    std::vector<Index> sourceCell; // per cell, its hexahedron in the file (0-based)
    Index recessCells = 0;         // the last cells, behind the head plane
    double volume = 0;             // m^3
    // Largest |atan2(y, x)| of the pocket's nodes: half the angle it spans
    // about the cylinder axis, where it is widest.
    double halfAngle = 0;

    Index properCells() const { return hex.cellCount() - recessCells; }
};

inline constexpr const char *headOpeningPatch = "head_opening";

// Relative tolerance on the bore radius within which a node lies on the bore
// (the mapped mesh is written with six decimals of a millimetre).
inline constexpr double onBoreTolerance = 1e-6;

// Cuts the pocket proper and its recess out of a mapped pocket mesh
// (readPocketHexMesh) for a bore of radius R: first every cell crossing the
// head plane is cut there (splitAtHeadPlane); a cell is outside when all
// its nodes are (to onBoreTolerance), in the recess when all are inside and
// behind the head plane. The recess's cells are merged into columns from the
// bore inwards (mergeColumns, the recess's part: its columns bend where the
// cone meets the transition zone, and the transition zone's cells thin out
// to nothing at the pocket's rim). Throws RunError (BadInput) naming `file`
// and the reason: a hexahedron inverted or degenerate, crossing the head
// plane other than through four parallel edges, cells that do not close
// into a mesh, a hexahedron crossing the bore surface, no hexahedron outside
// the bore, a pocket that does not reach the bore (no opening on it, or an
// opening face off it), an opening face that is not a convex quadrilateral
// on the bore.
PocketProper pocketProper(const fv::HexMesh &mapped, double boreRadius, const std::string &file);

// The polygon of a pocket's boundary quad on the bore, counter-clockwise in
// (a, z) about the pocket's axis: a = R atan2(y, x). An opening quad is
// counter-clockwise seen from the chamber (its normal points to the axis), so
// its polygon takes the nodes in reverse.
// The volume of a hexahedron mesh's cells.
double pocketVolume(const fv::HexMesh &hex);

ArcPolygon openingPolygon(const fv::HexMesh &pocket, const fv::HexMesh::BoundaryQuad &quad, double boreRadius);

} // namespace euler::pockets
