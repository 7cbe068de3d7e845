#pragma once

#include "fv/hexmesh.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace euler::fv {

using Index = HexMesh::Index;

// A mesh the finite-volume solver refuses; the text names the cause and a
// cell, face or boundary quad (numbered from 0).
class MeshError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Boundary faces [start, start + size) of one patch.
struct Patch
{
    std::string name;
    Index start = 0;
    Index size = 0;
};

// Face-based finite-volume mesh of hexahedra, structure of arrays.
//
// Faces: internal faces first, ordered by owner then neighbour (owner is the
// lower cell number), then the boundary faces, grouped contiguously per patch
// in the order of HexMesh::patchNames. The four nodes of face f are
// faceNodes[4f .. 4f+3], counter-clockwise seen from the neighbour, so the
// right-hand normal points from the owner into the neighbour (out of the mesh
// for boundary faces).
//
// Cell to face gather (CSR): the faces of cell c are
// cellFaces[cellFaceStart[c] .. cellFaceStart[c+1]), each stored as f when c
// owns face f and as ~f (negative) when c is its neighbour; the order is fixed
// (the cell's six hexahedron faces), so every gather sums in the same order
// whatever the thread count.
//
// Later split over processes: every array is indexed by a local cell, face or
// node number, and loops run over index ranges. A process keeps its cells
// first, then halo copies of its neighbours' cells; faces to another process
// become a boundary patch whose "neighbour" is a halo cell. Nothing here
// assumes one process.
class Mesh
{
public:
    // Every cell is a hexahedron: cellFaceStart[c] = 6 c.
    static constexpr int facesPerCell = 6;

    // Derives faces, owners, neighbours and patches from a hexahedron mesh
    // (node order documented in hexmesh.h). Throws MeshError for a cell face
    // matched neither by another cell nor by a boundary quad, a face of more
    // than two cells, two cells on the same side of a face (a cell repeated),
    // a boundary quad that is no cell face, a node or patch number out of
    // range, and an inverted or degenerate cell.
    explicit Mesh(const HexMesh &hex);

    Index cellCount() const { return cells_; }
    Index nodeCount() const { return nodes_; }
    Index faceCount() const { return static_cast<Index>(faceNodes.size() / 4); }
    Index internalFaceCount() const { return static_cast<Index>(neighbour.size()); }
    Index boundaryFaceCount() const { return faceCount() - internalFaceCount(); }

    const std::vector<Patch> &patches() const { return patches_; }
    // The patch of that name, or nullptr.
    const Patch *patch(const std::string &name) const;
    // Faces of a patch as a list (for face sets); throws MeshError when the
    // mesh has no such patch.
    std::vector<Index> patchFaces(const std::string &name) const;

    std::vector<Index> faceNodes;  // 4 per face
    std::vector<Index> owner;      // per face
    std::vector<Index> neighbour;  // per internal face
    std::vector<Index> cellFaceStart; // cellCount + 1
    std::vector<Index> cellFaces;     // f or ~f, 6 per cell

private:
    Index cells_ = 0;
    Index nodes_ = 0;
    std::vector<Patch> patches_;
};

} // namespace euler::fv
