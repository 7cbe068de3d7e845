#pragma once

#include "fv/mesh.h"
#include "models/vec3.h"

#include <cmath>
#include <string>
#include <vector>

namespace euler::fv {

// Refuses an inverted or degenerate hexahedron: each cell is split into 24
// tetrahedra (cell mean point, face mean point, one edge of the face), and
// every one must have positive volume. Throws MeshError naming the cell.
void checkCellShapes(const HexMesh &hex);
// The same test for one cell: why it is refused ("is inverted or degenerate
// ..."), or an empty text.
std::string cellShapeFault(const HexMesh &hex, Index c);

// Node coordinates of the mesh at one instant, structure of arrays (m).
struct NodePositions
{
    std::vector<double> x, y, z;

    void resize(Index nodes);
    void assign(const HexMesh &hex);
};

// Geometry of faces and cells for one set of node positions.
//
// Each quadrilateral face is split into four triangles about its mean point
// m (the decomposition hexahedronVolume in io/pocketmesh.cpp uses). Its
// area vector A is the sum of the triangles' (owner to neighbour), its
// centroid the triangles' centroids weighted by their areas along A
// (t . A / |A|, no square root per triangle). Because each triangle contains m, the surface integral of x.n over the face is exactly m . A, so
// the divergence theorem gives the cell volume
//     V = 1/3 sum_f s_f (m_f - r) . A_f          (s_f = +1 owner, -1 neighbour)
// for any reference point r (the mean of the cell's face mean points keeps
// the sum well conditioned). The centroid is that of the face pyramids about
// r, each at r + 3/4 (c_f - r) with its volume as weight.
// The cell length scale is h = 2 V / sum_f |A_f|: for a box a x b x c it is
// 1 / (1/a + 1/b + 1/c), the smallest side of a flat cell, a third of a cube's.
struct Geometry
{
    // Faces.
    std::vector<double> areaX, areaY, areaZ, area; // area vector (m^2) and its length
    std::vector<double> normalX, normalY, normalZ; // unit normal A / |A| (0 for a face of no area)
    std::vector<double> centreX, centreY, centreZ; // centroid
    std::vector<double> meanX, meanY, meanZ;       // mean of the four nodes
    // Cells.
    std::vector<double> volume;                    // m^3
    std::vector<double> cellX, cellY, cellZ;       // centroid
    std::vector<double> lengthScale;               // h = 2 V / sum |A|

    void resize(const Mesh &mesh);
    // Recomputes everything from node positions; allocates nothing once
    // resized.
    void update(const Mesh &mesh, const NodePositions &nodes);
    void updateFaces(const Mesh &mesh, const NodePositions &nodes);
    void updateCells(const Mesh &mesh);
    // The same for some faces or cells (cells after their faces).
    void updateFaces(const Mesh &mesh, const NodePositions &nodes, const std::vector<Index> &faces);
    void updateCells(const Mesh &mesh, const std::vector<Index> &cells);
    void updateFace(const Mesh &mesh, const NodePositions &nodes, Index f);
    void updateCell(const Mesh &mesh, Index c);
    // Face f from its area vector, centroid and mean point; its area vector
    // alone (with area and normal); h of cell c from its volume and its
    // faces' areas.
    void setFace(Index f, double ax, double ay, double az, const Vec3 &centre, const Vec3 &mean);
    void setAreaVector(Index f, double ax, double ay, double az)
    {
        areaX[f] = ax;
        areaY[f] = ay;
        areaZ[f] = az;
        const double a2 = ax * ax + ay * ay + az * az;
        area[f] = std::sqrt(a2);
        const double inverse = a2 > 0 ? 1.0 / area[f] : 0.0;
        normalX[f] = ax * inverse;
        normalY[f] = ay * inverse;
        normalZ[f] = az * inverse;
    }
    void setLengthScale(const Mesh &mesh, Index c)
    {
        double areaSum = 0;
        for (Index i = mesh.cellFaceStart[c]; i < mesh.cellFaceStart[c + 1]; ++i) {
            const Index e = mesh.cellFaces[i];
            areaSum += area[e >= 0 ? e : ~e];
        }
        lengthScale[c] = 2.0 * volume[c] / areaSum;
    }
};

// Volume each face sweeps as its nodes move from `from` to `to`: the volume
// of the closed polyhedron bounded by the face's four triangles at both
// positions and, per edge, the quadrilateral the edge sweeps (split into two
// triangles along the diagonal from the lower-numbered node's old position
// to the higher-numbered node's new position, so that the two faces of a
// cell sharing an edge bound it by the same triangles). Positive when the face
// moves along its area vector. For every cell, sum_f s_f S_f equals
// V(to) - V(from) of Geometry (geometric conservation law) to rounding, and
// a face whose nodes do not move sweeps exactly zero.
void sweptVolumes(const Mesh &mesh, const NodePositions &from, const NodePositions &to, std::vector<double> &swept);

} // namespace euler::fv
