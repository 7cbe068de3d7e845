#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace euler::fv {

// A mesh of hexahedra as generators and mesh files give it, before the
// finite-volume mesh derives faces, owners and neighbours from it. The
// chamber's O-grid generator, the pocket mesh reader and the test channels
// all produce this; the ParaView writer reads it.
//
// Node order of a cell, as in the pocket mesh files: nodes 0-3 are one face,
// counter-clockwise seen from outside the cell (their right-hand normal points
// away from nodes 4-7), and nodes 4-7 the opposite face in the same order
// (node 4 above node 0). Boundary quadrilaterals are counter-clockwise seen
// from outside the mesh, so their right-hand normal points out of the mesh.
// A hexahedron's local faces in that node order, each counter-clockwise seen
// from outside the cell, the face opposite each, and its twelve edges.
inline constexpr int hexFaces[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 3, 7, 4},
                                       {3, 2, 6, 7}, {2, 1, 5, 6}, {1, 0, 4, 5}};
inline constexpr int hexOppositeFace[6] = {1, 0, 4, 5, 2, 3};
inline constexpr int hexEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                        {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

struct HexMesh
{
    using Index = std::int32_t;

    struct BoundaryQuad
    {
        std::array<Index, 4> nodes;
        Index patch; // index into patchNames
    };

    // Node coordinates in metres, structure of arrays.
    std::vector<double> x, y, z;
    std::vector<std::array<Index, 8>> cells;
    std::vector<BoundaryQuad> boundary;
    std::vector<std::string> patchNames;

    Index nodeCount() const { return static_cast<Index>(x.size()); }
    Index cellCount() const { return static_cast<Index>(cells.size()); }

    Index addNode(double px, double py, double pz)
    {
        x.push_back(px);
        y.push_back(py);
        z.push_back(pz);
        return nodeCount() - 1;
    }

    // The index of a patch by name, added when it is new.
    Index patch(const std::string &name)
    {
        for (std::size_t i = 0; i < patchNames.size(); ++i)
            if (patchNames[i] == name)
                return static_cast<Index>(i);
        patchNames.push_back(name);
        return static_cast<Index>(patchNames.size() - 1);
    }
};

} // namespace euler::fv
