#include "fv/mesh.h"

#include "fv/geometry.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace euler::fv {

namespace {

// One cell face or boundary quad, keyed by its sorted node numbers.
struct FaceKey
{
    std::array<Index, 4> sorted;
    Index item;  // cell number, or ~quad for a boundary quad
    int local;   // face of the cell, -1 for a quad

    bool isQuad() const { return item < 0; }
    bool operator<(const FaceKey &o) const
    {
        return std::tie(sorted, item, local) < std::tie(o.sorted, o.item, o.local);
    }
};

std::array<Index, 4> sortedNodes(std::array<Index, 4> n)
{
    std::sort(n.begin(), n.end());
    return n;
}

std::string cellFaceName(Index cell, int local)
{
    return "face " + std::to_string(local) + " of cell " + std::to_string(cell);
}

void checkNumbers(const HexMesh &hex)
{
    const Index nodes = hex.nodeCount();
    for (Index c = 0; c < hex.cellCount(); ++c)
        for (Index n : hex.cells[c])
            if (n < 0 || n >= nodes)
                throw MeshError("cell " + std::to_string(c) + " refers to node " + std::to_string(n)
                                + ", the mesh has " + std::to_string(nodes) + " nodes");
    const Index patches = static_cast<Index>(hex.patchNames.size());
    for (std::size_t q = 0; q < hex.boundary.size(); ++q) {
        const HexMesh::BoundaryQuad &b = hex.boundary[q];
        for (Index n : b.nodes)
            if (n < 0 || n >= nodes)
                throw MeshError("boundary quad " + std::to_string(q) + " refers to node " + std::to_string(n)
                                + ", the mesh has " + std::to_string(nodes) + " nodes");
        if (b.patch < 0 || b.patch >= patches)
            throw MeshError("boundary quad " + std::to_string(q) + " has patch " + std::to_string(b.patch)
                            + ", the mesh names " + std::to_string(patches) + " patches");
    }
}

std::vector<FaceKey> faceKeys(const HexMesh &hex)
{
    std::vector<FaceKey> keys;
    keys.reserve(6 * hex.cells.size() + hex.boundary.size());
    for (Index c = 0; c < hex.cellCount(); ++c)
        for (int l = 0; l < 6; ++l) {
            const auto &n = hex.cells[c];
            const auto &f = hexFaces[l];
            keys.push_back({sortedNodes({n[f[0]], n[f[1]], n[f[2]], n[f[3]]}), c, l});
        }
    for (std::size_t q = 0; q < hex.boundary.size(); ++q)
        keys.push_back({sortedNodes(hex.boundary[q].nodes), ~static_cast<Index>(q), -1});
    std::sort(keys.begin(), keys.end());
    return keys;
}

struct CellFace
{
    Index cell;
    int local;
};

struct BoundaryFace
{
    Index patch;
    CellFace face;
};

struct InternalFace
{
    CellFace owner;
    Index neighbour;
    int neighbourLocal;
};

std::array<Index, 4> faceCycle(const HexMesh &hex, Index cell, int local)
{
    const auto &n = hex.cells[cell];
    const auto &f = hexFaces[local];
    return {n[f[0]], n[f[1]], n[f[2]], n[f[3]]};
}

// Two cells on one face lie on its two sides when they run round it in
// opposite directions; a cell and a copy of it run the same way.
bool onOppositeSides(const std::array<Index, 4> &a, const std::array<Index, 4> &b)
{
    for (int shift = 0; shift < 4; ++shift) {
        bool reversed = true;
        for (int k = 0; k < 4 && reversed; ++k)
            reversed = b[k] == a[(shift + 4 - k) % 4];
        if (reversed)
            return true;
    }
    return false;
}

// Classifies one group of equal keys [first, last) or refuses it.
void classify(const FaceKey *first, const FaceKey *last, const HexMesh &hex,
              std::vector<InternalFace> &internal, std::vector<BoundaryFace> &boundary)
{
    std::vector<const FaceKey *> cells, quads;
    for (const FaceKey *k = first; k != last; ++k)
        (k->isQuad() ? quads : cells).push_back(k);
    if (quads.size() > 1)
        throw MeshError("boundary quads " + std::to_string(std::min(~quads[0]->item, ~quads[1]->item)) + " and "
                        + std::to_string(std::max(~quads[0]->item, ~quads[1]->item)) + " are the same face");
    if (cells.empty())
        throw MeshError("boundary quad " + std::to_string(~quads[0]->item) + " is not a face of any cell");
    if (cells.size() > 2)
        throw MeshError(cellFaceName(cells[0]->item, cells[0]->local) + " is shared by more than two cells ("
                        + std::to_string(cells[0]->item) + ", " + std::to_string(cells[1]->item) + ", "
                        + std::to_string(cells[2]->item) + ")");
    if (cells.size() == 2) {
        if (!quads.empty())
            throw MeshError("boundary quad " + std::to_string(~quads[0]->item) + " lies between cells "
                            + std::to_string(cells[0]->item) + " and " + std::to_string(cells[1]->item));
        if (cells[0]->item == cells[1]->item)
            throw MeshError("cell " + std::to_string(cells[0]->item) + " has two faces on the same four nodes");
        internal.push_back({{cells[0]->item, cells[0]->local}, cells[1]->item, cells[1]->local});
        return;
    }
    if (quads.empty())
        throw MeshError(cellFaceName(cells[0]->item, cells[0]->local)
                        + " is matched neither by another cell nor by a boundary quad");
    boundary.push_back({hex.boundary[~quads[0]->item].patch, {cells[0]->item, cells[0]->local}});
}

// Refuses overlapping cells, once every face has found its cells.
void checkSides(const HexMesh &hex, const std::vector<InternalFace> &internal)
{
    for (const InternalFace &f : internal)
        if (!onOppositeSides(faceCycle(hex, f.owner.cell, f.owner.local), faceCycle(hex, f.neighbour, f.neighbourLocal)))
            throw MeshError("cells " + std::to_string(f.owner.cell) + " and " + std::to_string(f.neighbour)
                            + " overlap: they lie on the same side of " + cellFaceName(f.owner.cell, f.owner.local));
}

} // namespace

Mesh::Mesh(const HexMesh &hex) : cells_(hex.cellCount()), nodes_(hex.nodeCount())
{
    checkNumbers(hex);
    checkCellShapes(hex);

    std::vector<InternalFace> internal;
    std::vector<BoundaryFace> boundary;
    {
        const std::vector<FaceKey> keys = faceKeys(hex);
        internal.reserve(3 * hex.cells.size());
        boundary.reserve(hex.boundary.size());
        for (std::size_t i = 0; i < keys.size();) {
            std::size_t j = i + 1;
            while (j < keys.size() && keys[j].sorted == keys[i].sorted)
                ++j;
            classify(&keys[i], &keys[j], hex, internal, boundary);
            i = j;
        }
    }
    checkSides(hex, internal);
    std::sort(internal.begin(), internal.end(), [](const InternalFace &a, const InternalFace &b) {
        return std::tie(a.owner.cell, a.neighbour, a.owner.local) < std::tie(b.owner.cell, b.neighbour, b.owner.local);
    });
    std::sort(boundary.begin(), boundary.end(), [](const BoundaryFace &a, const BoundaryFace &b) {
        return std::tie(a.patch, a.face.cell, a.face.local) < std::tie(b.patch, b.face.cell, b.face.local);
    });

    const std::size_t faces = internal.size() + boundary.size();
    faceNodes.resize(4 * faces);
    owner.resize(faces);
    neighbour.resize(internal.size());
    // faceOf[6 c + local]: the face a cell's local face became, as f or ~f.
    std::vector<Index> faceOf(6 * hex.cells.size());
    auto place = [&](Index f, const CellFace &cf) {
        const auto &n = hex.cells[cf.cell];
        for (int k = 0; k < 4; ++k)
            faceNodes[4 * f + k] = n[hexFaces[cf.local][k]];
        owner[f] = cf.cell;
        faceOf[6 * cf.cell + cf.local] = f;
    };
    for (std::size_t i = 0; i < internal.size(); ++i) {
        const Index f = static_cast<Index>(i);
        place(f, internal[i].owner);
        neighbour[f] = internal[i].neighbour;
        faceOf[6 * internal[i].neighbour + internal[i].neighbourLocal] = ~f;
    }
    patches_.resize(hex.patchNames.size());
    for (std::size_t p = 0; p < patches_.size(); ++p)
        patches_[p].name = hex.patchNames[p];
    for (std::size_t i = 0; i < boundary.size(); ++i) {
        const Index f = static_cast<Index>(internal.size() + i);
        place(f, boundary[i].face);
        Patch &p = patches_[boundary[i].patch];
        if (p.size == 0)
            p.start = f;
        ++p.size;
    }
    for (Patch &p : patches_)
        if (p.size == 0)
            p.start = faceCount();

    cellFaceStart.resize(hex.cells.size() + 1);
    for (std::size_t c = 0; c <= hex.cells.size(); ++c)
        cellFaceStart[c] = static_cast<Index>(6 * c);
    cellFaces = std::move(faceOf);
}

const Patch *Mesh::patch(const std::string &name) const
{
    for (const Patch &p : patches_)
        if (p.name == name)
            return &p;
    return nullptr;
}

std::vector<Index> Mesh::patchFaces(const std::string &name) const
{
    const Patch *p = patch(name);
    if (!p)
        throw MeshError("the mesh has no patch \"" + name + "\"");
    std::vector<Index> faces(static_cast<std::size_t>(p->size));
    for (Index i = 0; i < p->size; ++i)
        faces[i] = p->start + i;
    return faces;
}

} // namespace euler::fv
