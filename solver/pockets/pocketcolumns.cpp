#include "pockets/pocketcolumns.h"

#include "fv/geometry.h"
#include "fv/mesh.h"
#include "io/pocketmesh.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace euler::pockets {

namespace {

// A hexahedron's faces as fv::Mesh numbers them.
using fv::hexEdges;
using fv::hexFaces;
constexpr const auto &oppositeFace = fv::hexOppositeFace;

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

// One column: its cells from its start face to its end face, the start
// face's local number in the first, its last mesh face, and the node line
// from each of the start face's four nodes (in the first cell's face order)
// to the end.
struct Column
{
    std::vector<Index> cells;
    int startFace = 0;
    Index endFace = 0;
    std::array<std::vector<Index>, 4> lines;
};

// Which cells a merge joins into columns, where the columns start and how
// they must end.
struct ColumnRule
{
    std::vector<bool> merge;       // per cell
    std::vector<Index> startFaces; // mesh faces with a cell to merge on one side
    const char *endPatch;          // the patch every column ends on
    bool straight;                 // node lines must be straight (the geometry stays)
    int segments;                  // cells per column at the most (1: one cell spanning it)
};

class ColumnMerger
{
public:
    ColumnMerger(PocketProper &pocket, const fv::Mesh &mesh, ColumnRule rule)
        : pocket_(pocket), in_(pocket.hex), mesh_(mesh), rule_(std::move(rule))
    {
    }

    bool merge()
    {
        if (!traceColumns() || (rule_.straight && !straightLines()))
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

    bool merged(Index cell) const { return cell >= 0 && rule_.merge[static_cast<size_t>(cell)]; }

    bool traceColumns()
    {
        used_.assign(static_cast<size_t>(in_.cellCount()), false);
        for (Index f : rule_.startFaces) {
            const size_t fi = static_cast<size_t>(f);
            const Index owner = mesh_.owner[fi];
            const Index other = f < mesh_.internalFaceCount() ? mesh_.neighbour[fi] : -1;
            Index cell = merged(owner) ? owner : other;
            if (!merged(cell))
                return false;
            Column column;
            int local = localOf(cell, f);
            column.startFace = local;
            std::array<Index, 4> current;
            for (int i = 0; i < 4; ++i) {
                current[i] = in_.cells[static_cast<size_t>(cell)][hexFaces[local][i]];
                column.lines[i].push_back(current[i]);
            }
            while (true) {
                if (used_[static_cast<size_t>(cell)])
                    return false;
                used_[static_cast<size_t>(cell)] = true;
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
                    if (!p || p->name != rule_.endPatch)
                        return false;
                    column.endFace = far;
                    break;
                }
                const size_t ff = static_cast<size_t>(far);
                cell = mesh_.owner[ff] == cell ? mesh_.neighbour[ff] : mesh_.owner[ff];
                if (!merged(cell))
                    return false;
                local = localOf(cell, far);
            }
            columns_.push_back(std::move(column));
        }
        for (Index c = 0; c < in_.cellCount(); ++c)
            if (merged(c) && !used_[static_cast<size_t>(c)])
                return false;
        return true;
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

    // The cell spanned by a column's cross-sections after `from` and `to`
    // of its cells.
    std::array<Index, 8> spanned(const Column &c, size_t from, size_t to) const
    {
        std::array<Index, 8> cell = in_.cells[static_cast<size_t>(c.cells.front())];
        for (int i = 0; i < 4; ++i) {
            cell[hexFaces[c.startFace][i]] = c.lines[i][from];
            cell[across(hexFaces[c.startFace][i], c.startFace)] = c.lines[i][to];
        }
        return cell;
    }

    Vec3 sectionCentre(const Column &c, size_t layer) const
    {
        Vec3 sum{0, 0, 0};
        for (const auto &line : c.lines) {
            const size_t n = static_cast<size_t>(line[layer]);
            sum = sum + Vec3{0.25 * in_.x[n], 0.25 * in_.y[n], 0.25 * in_.z[n]};
        }
        return sum;
    }

    // Where the columns' segments end (counted in cells from the start), the
    // same in every column so that neighbouring cells still share whole
    // faces: each segment at least 1/segments of every column's length long,
    // a shorter rest joined to the last. One segment when the columns differ
    // in their numbers of cells.
    std::vector<size_t> segmentEnds() const
    {
        const size_t n = columns_.empty() ? 0 : columns_.front().cells.size();
        const bool alike = std::all_of(columns_.begin(), columns_.end(),
                                       [n](const Column &c) { return c.cells.size() == n; });
        if (rule_.segments <= 1 || !alike)
            return {n};
        const auto distance = [&](const Column &c, size_t a, size_t b) {
            const Vec3 d = sectionCentre(c, b) - sectionCentre(c, a);
            return std::sqrt(dot(d, d));
        };
        const auto longEnough = [&](size_t a, size_t b) {
            return std::all_of(columns_.begin(), columns_.end(), [&](const Column &c) {
                return distance(c, a, b) >= distance(c, 0, n) / rule_.segments * (1 - 1e-9);
            });
        };
        std::vector<size_t> ends;
        size_t from = 0;
        for (size_t to = 1; to <= n; ++to) {
            if (!longEnough(from, to) && to < n)
                continue;
            if (!longEnough(from, to) && !ends.empty())
                ends.back() = n;
            else
                ends.push_back(to);
            from = to;
        }
        return ends;
    }

    // The sides of a merged cell on the boundary, where the column's cell
    // `first` has them.
    void addSides(const Column &column, Index first, const std::array<Index, 8> &cell,
                  std::vector<fv::HexMesh::BoundaryQuad> &walls) const
    {
        for (int side = 0; side < 6; ++side) {
            if (side == column.startFace || side == oppositeFace[column.startFace])
                continue;
            const Index e = mesh_.cellFaces[6 * static_cast<size_t>(first) + static_cast<size_t>(side)];
            if (e < mesh_.internalFaceCount())
                continue;
            fv::HexMesh::BoundaryQuad q = quadOf(e);
            for (int k = 0; k < 4; ++k)
                q.nodes[k] = cell[hexFaces[side][k]];
            walls.push_back(q);
        }
    }

    fv::HexMesh::BoundaryQuad quadOf(Index face) const
    {
        fv::HexMesh::BoundaryQuad q;
        for (int k = 0; k < 4; ++k)
            q.nodes[k] = mesh_.faceNodes[4 * static_cast<size_t>(face) + static_cast<size_t>(k)];
        q.patch = static_cast<Index>(patchOf(face) - mesh_.patches().data());
        return q;
    }

    // The merged cells in the place of their columns' first cells, the other
    // cells as they were; boundary faces: a column's sides (one face each
    // now) and its end, every other cell's own.
    std::optional<PocketProper> build() const
    {
        PocketProper out;
        std::vector<std::array<Index, 8>> cells;
        std::vector<fv::HexMesh::BoundaryQuad> walls;
        std::vector<int> columnOf(static_cast<size_t>(in_.cellCount()), -1);
        for (size_t i = 0; i < columns_.size(); ++i)
            columnOf[static_cast<size_t>(columns_[i].cells.front())] = static_cast<int>(i);
        const Index firstRecess = in_.cellCount() - pocket_.recessCells;
        const std::vector<size_t> ends = segmentEnds();
        const auto keep = [&](Index c, const std::array<Index, 8> &cell) {
            cells.push_back(cell);
            out.sourceCell.push_back(pocket_.sourceCell[static_cast<size_t>(c)]);
            out.recessCells += c >= firstRecess;
        };
        for (Index c = 0; c < in_.cellCount(); ++c) {
            const int col = columnOf[static_cast<size_t>(c)];
            if (col < 0) {
                if (!merged(c))
                    keep(c, in_.cells[static_cast<size_t>(c)]);
                continue;
            }
            const Column &column = columns_[static_cast<size_t>(col)];
            size_t from = 0;
            for (const size_t to : ends) {
                keep(column.cells[from], spanned(column, from, to));
                addSides(column, column.cells[from], cells.back(), walls);
                from = to;
            }
        }
        // A merged cell's boundary faces other than its columns' ends are new.
        std::vector<bool> columnEnd(static_cast<size_t>(mesh_.faceCount()), false);
        for (const Column &column : columns_)
            columnEnd[static_cast<size_t>(column.endFace)] = true;
        for (Index f : rule_.startFaces)
            columnEnd[static_cast<size_t>(f)] = true;
        for (Index f = mesh_.internalFaceCount(); f < mesh_.faceCount(); ++f)
            if (!merged(mesh_.owner[static_cast<size_t>(f)]) || columnEnd[static_cast<size_t>(f)])
                walls.push_back(quadOf(f));
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
        // A bent column's merged cell must still be a sound hexahedron.
        for (Index c = 0; c < out.hex.cellCount(); ++c)
            if (!fv::cellShapeFault(out.hex, c).empty())
                return std::nullopt;
        out.volume = pocketVolume(out.hex);
        if (rule_.straight && !(std::fabs(out.volume / pocket_.volume - 1) < 1e-9))
            return std::nullopt;
        out.halfAngle = pocket_.halfAngle;
        return out;
    }

    PocketProper &pocket_;
    const fv::HexMesh &in_;
    const fv::Mesh &mesh_;
    ColumnRule rule_;
    std::vector<bool> used_;
    std::vector<Column> columns_;
};

// The faces a column starts from. Pocket columns: the openings on the bore
// and the faces the pocket shares with the recess behind the head; recess
// columns: those shared faces.
std::vector<Index> startFaces(const fv::Mesh &mesh, Index firstRecess, bool recess)
{
    std::vector<Index> faces;
    const fv::Patch *opening = mesh.patch(pocketPatches[BoreOpening]);
    if (opening && !recess)
        for (Index f = opening->start; f < opening->start + opening->size; ++f)
            faces.push_back(f);
    for (Index f = 0; f < mesh.internalFaceCount(); ++f)
        if ((mesh.owner[static_cast<size_t>(f)] < firstRecess) != (mesh.neighbour[static_cast<size_t>(f)] < firstRecess))
            faces.push_back(f);
    return faces;
}

bool mergeWith(PocketProper &pocket, bool recess)
{
    try {
        const fv::Mesh mesh(pocket.hex);
        const Index firstRecess = pocket.hex.cellCount() - pocket.recessCells;
        ColumnRule rule;
        for (Index c = 0; c < pocket.hex.cellCount(); ++c)
            rule.merge.push_back((c >= firstRecess) == recess);
        rule.startFaces = startFaces(mesh, firstRecess, recess);
        rule.endPatch = recess ? pocketPatches[PocketWall] : pocketPatches[ValveSeat];
        rule.straight = !recess;
        rule.segments = recess ? recessSegments : 1;
        return ColumnMerger(pocket, mesh, std::move(rule)).merge();
    } catch (const fv::MeshError &) {
        return false;
    }
}

} // namespace

bool mergeColumns(PocketProper &pocket)
{
    return mergeWith(pocket, false);
}

bool mergeRecessColumns(PocketProper &pocket)
{
    return pocket.recessCells == 0 || mergeWith(pocket, true);
}

} // namespace euler::pockets
