#pragma once

#include "chamber/chambermesh.h"

#include <vector>

namespace euler::chamber {

// The grid a wall's result file is written on, and where each of its values
// comes from. Every row (ring) carries 4m + 1 points, the last repeating the
// first, so that pm3d draws closed surfaces.
//
// Head and piston: row 1 is the centre (all its points at the axis), rows 2
// to m/2 are rings inside the core block (the core's boundary scaled by
// i / (m/2)), then one row per ring of mesh nodes from the core's boundary
// to the bore. Side wall: one row per plane of nodes, head to piston, at the
// bore nodes.
//
// A value at a mesh node is the area-weighted mean over the wall faces that
// meet there; a point inside the core is interpolated bilinearly from the
// nodes of the face it lies in. Both are fixed weights on wall faces:
//     value(p) = sum_k weight[k] faceValue[face[k]],  k in [start[p], start[p+1])
// with the faces numbered within their patch (the patch's boundary quads in
// ChamberMesh order). The weights of a point sum to one.
struct WallGrid
{
    std::vector<double> x, y;
    std::vector<double> zeta;      // z = zeta s(phi): 0 on the head, 1 on the piston
    std::vector<double> arc;       // side wall: R times the angle, 0 to 2 pi R
    std::vector<int> row, inRow;   // 1-based
    std::vector<Index> start, face;
    std::vector<double> weight;

    Index pointCount() const { return static_cast<Index>(x.size()); }
    int pointsPerRow() const { return pointsPerRow_; }

    // pointValues[p] from faceValues (one per face of the patch).
    void sample(const std::vector<double> &faceValues, std::vector<double> &pointValues) const;

    int pointsPerRow_ = 0;
};

// The disc grid of the head (onPiston false) or the piston.
WallGrid discGrid(const ChamberMesh &mesh, bool onPiston);
// The side wall's grid.
WallGrid sideGrid(const ChamberMesh &mesh);

} // namespace euler::chamber
