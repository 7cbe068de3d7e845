#include "pockets/pocketcolumns.h"

#include "fv/mesh.h"
#include "io/pocketmesh.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace euler::pockets {

namespace {

// A hexahedron's faces (as fv::Mesh numbers them), the face opposite each,
// and its edges.
constexpr int hexFaces[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 3, 7, 4}, {3, 2, 6, 7}, {2, 1, 5, 6}, {1, 0, 4, 5}};
constexpr int oppositeFace[6] = {1, 0, 4, 5, 2, 3};
constexpr int hexEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                 {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

bool onFace(int k, int face)
{
    return std::find(std::begin(hexFaces[face]), std::end(hexFaces[face]), k) != std::end(hexFaces[face]);
}

// The local node joined to node k (on `face`) by the edge that leaves the face.
int across(int k, int face)
{
    for (const auto &e : hexEdges) {
        const int other = e[0] == k ? e[1] : e[1] == k ? e[0] : -1;
        if (other >= 0 && !onFace(other, face))
            return other;
    }
    return -1;
}

// One column: its cells from the opening to the seat, the opening face's
// local number in the first, and the node line from each of the opening's
// four nodes (in the first cell's face order) to the seat.
struct Column
{
    std::vector<Index> cells;
    int openingFace = 0;
    std::array<std::vector<Index>, 4> lines;
};

class ColumnMerger
{
public:
    explicit ColumnMerger(PocketProper &pocket) : pocket_(pocket), in_(pocket.hex), mesh_(in_) {}

    bool merge()
    {
        if (!traceColumns() || !straightLines())
            return false;
        std::optional<PocketProper> merged = build();
        if (!merged)
            return false;
        pocket_ = std::move(*merged);
        return true;
    }

private:
    const fv::Patch *patchOf(Index face) const
    {
        for (const fv::Patch &p : mesh_.patches())
            if (face >= p.start && face < p.start + p.size)
                return &p;
        return nullptr;
    }

    int localOf(Index cell, Index face) const
    {
        for (int l = 0; l < 6; ++l) {
            const Index e = mesh_.cellFaces[6 * static_cast<size_t>(cell) + static_cast<size_t>(l)];
            if ((e >= 0 ? e : ~e) == face)
                return l;
        }
        return -1;
    }

    int localNode(Index cell, Index node) const
    {
        const auto &n = in_.cells[static_cast<size_t>(cell)];
        return static_cast<int>(std::find(n.begin(), n.end(), node) - n.begin());
    }

    bool traceColumns()
    {
        std::vector<bool> used(static_cast<size_t>(in_.cellCount()), false);
        const fv::Patch *opening = mesh_.patch(pocketPatches[BoreOpening]);
        if (!opening)
            return false;
        for (Index f = opening->start; f < opening->start + opening->size; ++f) {
            Column column;
            Index cell = mesh_.owner[static_cast<size_t>(f)];
            int local = localOf(cell, f);
            column.openingFace = local;
            std::array<Index, 4> current;
            for (int i = 0; i < 4; ++i) {
                current[i] = in_.cells[static_cast<size_t>(cell)][hexFaces[local][i]];
                column.lines[i].push_back(current[i]);
            }
            while (true) {
                if (used[static_cast<size_t>(cell)])
                    return false;
                used[static_cast<size_t>(cell)] = true;
                column.cells.push_back(cell);
                for (int i = 0; i < 4; ++i) {
                    const int k = localNode(cell, current[i]), next = k < 8 ? across(k, local) : -1;
                    if (next < 0)
                        return false;
                    current[i] = in_.cells[static_cast<size_t>(cell)][next];
                    column.lines[i].push_back(current[i]);
                }
                const Index e = mesh_.cellFaces[6 * static_cast<size_t>(cell) + oppositeFace[local]];
                const Index far = e >= 0 ? e : ~e;
                if (far >= mesh_.internalFaceCount()) {
                    const fv::Patch *p = patchOf(far);
                    if (!p || p->name != pocketPatches[ValveSeat])
                        return false;
                    break;
                }
                const size_t fi = static_cast<size_t>(far);
                cell = mesh_.owner[fi] == cell ? mesh_.neighbour[fi] : mesh_.owner[fi];
                local = localOf(cell, far);
            }
            columns_.push_back(std::move(column));
        }
        return std::all_of(used.begin(), used.end(), [](bool u) { return u; });
    }

    bool straightLines() const
    {
        for (const Column &c : columns_)
            for (const auto &line : c.lines) {
                const Index a = line.front(), b = line.back();
                const Vec3 pa{in_.x[a], in_.y[a], in_.z[a]}, d = Vec3{in_.x[b], in_.y[b], in_.z[b]} - pa;
                const double length2 = dot(d, d);
                for (Index n : line) {
                    const Vec3 p = Vec3{in_.x[n], in_.y[n], in_.z[n]} - pa;
                    const Vec3 off = cross(p, d);
                    if (dot(off, off) > 1e-12 * length2 * length2)
                        return false;
                }
            }
        return true;
    }

    std::optional<PocketProper> build() const
    {
        PocketProper out;
        std::vector<std::array<Index, 8>> cells;
        std::vector<fv::HexMesh::BoundaryQuad> walls;
        for (const Column &c : columns_) {
            const Index first = c.cells.front();
            std::array<Index, 8> cell = in_.cells[static_cast<size_t>(first)];
            for (int i = 0; i < 4; ++i)
                cell[across(hexFaces[c.openingFace][i], c.openingFace)] = c.lines[i].back();
            cells.push_back(cell);
            out.sourceCell.push_back(pocket_.sourceCell[static_cast<size_t>(first)]);
            // The sides on the pocket's wall, now one face each.
            for (int side = 0; side < 6; ++side) {
                if (side == c.openingFace || side == oppositeFace[c.openingFace])
                    continue;
                const Index e = mesh_.cellFaces[6 * static_cast<size_t>(first) + static_cast<size_t>(side)];
                if (e < mesh_.internalFaceCount())
                    continue;
                fv::HexMesh::BoundaryQuad q;
                for (int k = 0; k < 4; ++k)
                    q.nodes[k] = cell[hexFaces[side][k]];
                q.patch = static_cast<Index>(patchOf(e) - mesh_.patches().data());
                walls.push_back(q);
            }
        }
        // The nodes left, in their order.
        std::vector<Index> newNode(static_cast<size_t>(in_.nodeCount()), -1);
        for (const auto &cell : cells)
            for (Index n : cell)
                newNode[static_cast<size_t>(n)] = 0;
        for (Index n = 0; n < in_.nodeCount(); ++n)
            if (newNode[static_cast<size_t>(n)] == 0)
                newNode[static_cast<size_t>(n)] = out.hex.addNode(in_.x[n], in_.y[n], in_.z[n]);
        for (auto cell : cells) {
            for (Index &n : cell)
                n = newNode[static_cast<size_t>(n)];
            out.hex.cells.push_back(cell);
        }
        out.hex.patchNames = in_.patchNames;
        for (const auto &q : in_.boundary)
            if (q.patch == BoreOpening || q.patch == ValveSeat)
                walls.push_back(q);
        for (auto q : walls) {
            for (Index &n : q.nodes)
                n = newNode[static_cast<size_t>(n)];
            out.hex.boundary.push_back(q);
        }
        try {
            const fv::Mesh check(out.hex);
        } catch (const fv::MeshError &) {
            return std::nullopt;
        }
        for (const auto &cell : out.hex.cells) {
            std::array<Vec3, 8> corners;
            for (int k = 0; k < 8; ++k)
                corners[k] = {out.hex.x[cell[k]], out.hex.y[cell[k]], out.hex.z[cell[k]]};
            out.volume += hexahedronVolume(corners);
        }
        if (!(std::fabs(out.volume / pocket_.volume - 1) < 1e-9))
            return std::nullopt;
        out.halfAngle = pocket_.halfAngle;
        return out;
    }

    PocketProper &pocket_;
    const fv::HexMesh &in_;
    const fv::Mesh mesh_;
    std::vector<Column> columns_;
};

} // namespace

bool mergeColumns(PocketProper &pocket)
{
    try {
        return ColumnMerger(pocket).merge();
    } catch (const fv::MeshError &) {
        return false;
    }
}

} // namespace euler::pockets
