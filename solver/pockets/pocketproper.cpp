#include "pockets/pocketproper.h"

#include "fv/geometry.h"
#include "fv/mesh.h"
#include "io/inputerror.h"
#include "io/numberformat.h"
#include "io/pocketmesh.h"
#include "pockets/headplane.h"
#include "pockets/pocketcolumns.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace euler::pockets {

namespace {

std::string number(double value)
{
    std::string s;
    appendNumber(s, value);
    return s;
}

double radius(const fv::HexMesh &hex, Index n) { return std::hypot(hex.x[n], hex.y[n]); }

enum class Side { Inside, Outside, Crossing };
enum class Part { Dropped, Proper, Recess };

Side sideOf(const fv::HexMesh &hex, Index c, double boreRadius)
{
    const double tolerance = onBoreTolerance * boreRadius;
    bool outside = true, inside = true;
    for (Index n : hex.cells[c]) {
        const double r = radius(hex, n);
        outside = outside && r >= boreRadius - tolerance;
        inside = inside && r <= boreRadius + tolerance;
    }
    // A cell with every node on the bore has no room outside it.
    return inside ? Side::Inside : outside ? Side::Outside : Side::Crossing;
}

class Cutter
{
public:
    Cutter(const fv::HexMesh &mapped, double boreRadius, const std::string &file)
        : mapped_(mapped), R_(boreRadius), file_(file)
    {
    }

    PocketProper cut()
    {
        checkShapes(mapped_, nullptr);
        split_ = splitAtHeadPlane(mapped_, R_, file_);
        checkShapes(in_, &split_.sourceCell);
        const fv::Mesh mesh = closedMesh();
        classify();
        keepNodesAndCells();
        keepFaces(mesh);
        checkOpening();
        measure();
        mergeRecessColumns(out_);
        return std::move(out_);
    }

private:
    [[noreturn]] void refuse(const std::string &reason) const { throw inputError(file_, reason); }
    std::string bore() const { return "the bore surface (radius " + number(R_) + " m)"; }

    // Cells of the split mesh are named by the hexahedron they were cut from.
    void checkShapes(const fv::HexMesh &hex, const std::vector<Index> *source) const
    {
        for (Index c = 0; c < hex.cellCount(); ++c) {
            const std::string fault = fv::cellShapeFault(hex, c);
            const Index named = source ? (*source)[static_cast<size_t>(c)] : c;
            if (!fault.empty())
                refuse("hexahedron " + std::to_string(named + 1) + (source ? " cut at the head plane " : " ") + fault);
        }
    }

    fv::Mesh closedMesh() const
    {
        try {
            return fv::Mesh(in_);
        } catch (const fv::MeshError &e) {
            refuse(std::string("the hexahedra and boundary faces do not form a closed mesh (cells and quads counted "
                               "from 0): ")
                   + e.what());
        }
    }

    bool behindHead(Index c) const
    {
        const auto &nodes = in_.cells[static_cast<size_t>(c)];
        return std::all_of(nodes.begin(), nodes.end(), [&](Index n) { return in_.z[n] <= headPlaneTolerance; });
    }

    void classify()
    {
        part_.assign(static_cast<size_t>(in_.cellCount()), Part::Dropped);
        bool any = false;
        for (Index c = 0; c < in_.cellCount(); ++c) {
            const Side side = sideOf(in_, c, R_);
            if (side == Side::Crossing)
                refuse("hexahedron " + std::to_string(split_.sourceCell[static_cast<size_t>(c)] + 1) + " crosses "
                       + bore() + ": the pocket must meet the bore in cell faces");
            if (side == Side::Outside)
                part_[static_cast<size_t>(c)] = Part::Proper;
            else if (behindHead(c))
                part_[static_cast<size_t>(c)] = Part::Recess;
            any = any || side == Side::Outside;
        }
        if (!any)
            refuse("no hexahedron lies outside " + bore() + ": the mesh has no pocket");
    }

    // Nodes in their order in the file, those of kept cells only; the
    // pocket's cells, then the recess's.
    void keepNodesAndCells()
    {
        newNode_.assign(static_cast<size_t>(in_.nodeCount()), -1);
        for (Index c = 0; c < in_.cellCount(); ++c)
            if (kept(c))
                for (Index n : in_.cells[static_cast<size_t>(c)])
                    newNode_[static_cast<size_t>(n)] = 0;
        fv::HexMesh &h = out_.hex;
        for (Index n = 0; n < in_.nodeCount(); ++n)
            if (newNode_[static_cast<size_t>(n)] == 0)
                newNode_[static_cast<size_t>(n)] = h.addNode(in_.x[n], in_.y[n], in_.z[n]);
        for (Part part : {Part::Proper, Part::Recess})
            for (Index c = 0; c < in_.cellCount(); ++c) {
                if (part_[static_cast<size_t>(c)] != part)
                    continue;
                std::array<Index, 8> cell;
                for (int k = 0; k < 8; ++k)
                    cell[k] = newNode_[static_cast<size_t>(in_.cells[static_cast<size_t>(c)][k])];
                h.cells.push_back(cell);
                out_.sourceCell.push_back(split_.sourceCell[static_cast<size_t>(c)]);
                out_.recessCells += part == Part::Recess;
            }
        h.patchNames = in_.patchNames;
    }

    void addQuad(const Index *n, bool reverse, Index patch)
    {
        fv::HexMesh::BoundaryQuad q;
        for (int k = 0; k < 4; ++k)
            q.nodes[k] = newNode_[static_cast<size_t>(n[reverse ? 3 - k : k])];
        q.patch = patch;
        out_.hex.boundary.push_back(q);
    }

    // The kept cells' boundary faces (the recess's are walls of the head),
    // then the faces the cut leaves (each turned to face out of its kept
    // cell) as openings: the pocket's on the bore, the recess's on the head
    // plane.
    void keepFaces(const fv::Mesh &mesh)
    {
        const Index opening = out_.hex.patch(pocketPatches[BoreOpening]);
        const Index wall = out_.hex.patch(pocketPatches[PocketWall]);
        const Index head = out_.hex.patch(headOpeningPatch);
        for (const fv::Patch &p : mesh.patches()) {
            const Index patch = out_.hex.patch(p.name);
            for (Index f = p.start; f < p.start + p.size; ++f)
                if (kept(mesh.owner[f]))
                    addQuad(&mesh.faceNodes[4 * static_cast<size_t>(f)], false,
                            part_[static_cast<size_t>(mesh.owner[f])] == Part::Recess ? wall : patch);
        }
        for (Index f = 0; f < mesh.internalFaceCount(); ++f) {
            const bool owner = kept(mesh.owner[f]), neighbour = kept(mesh.neighbour[f]);
            if (owner == neighbour)
                continue;
            const Index cell = owner ? mesh.owner[f] : mesh.neighbour[f];
            addQuad(&mesh.faceNodes[4 * static_cast<size_t>(f)], neighbour,
                    part_[static_cast<size_t>(cell)] == Part::Recess ? head : opening);
        }
    }

    bool kept(Index cell) const { return part_[static_cast<size_t>(cell)] != Part::Dropped; }

    void checkOpening() const
    {
        const fv::HexMesh &h = out_.hex;
        const Index opening = BoreOpening;
        double off = 0;
        int faces = 0;
        for (const auto &q : h.boundary) {
            if (q.patch != opening)
                continue;
            ++faces;
            for (Index n : q.nodes)
                off = std::max(off, std::fabs(radius(h, n) - R_));
        }
        if (faces == 0)
            refuse("the pocket does not reach the bore: it has no opening (bore_opening faces) on " + bore());
        if (off > onBoreTolerance * R_)
            refuse("the pocket does not reach the bore: its opening (bore_opening faces) lies up to "
                   + number(off * 1e3) + " mm off " + bore());
        int index = 0;
        for (const auto &q : h.boundary) {
            if (q.patch != opening)
                continue;
            ++index;
            if (!isConvexCounterClockwise(openingPolygon(h, q, R_)))
                refuse("opening face " + std::to_string(index)
                       + " of the pocket is no convex quadrilateral on the bore surface");
        }
    }

    void measure()
    {
        const fv::HexMesh &h = out_.hex;
        out_.volume = pocketVolume(h);
        for (Index n = 0; n < h.nodeCount(); ++n)
            out_.halfAngle = std::max(out_.halfAngle, std::fabs(std::atan2(h.y[n], h.x[n])));
    }

    const fv::HexMesh &mapped_;
    double R_;
    std::string file_;
    HeadPlaneSplit split_;
    const fv::HexMesh &in_ = split_.hex;
    std::vector<Part> part_;
    std::vector<Index> newNode_;
    PocketProper out_;
};

} // namespace

PocketProper pocketProper(const fv::HexMesh &mapped, double boreRadius, const std::string &file)
{
    return Cutter(mapped, boreRadius, file).cut();
}

double pocketVolume(const fv::HexMesh &h)
{
    double volume = 0;
    for (const auto &cell : h.cells) {
        std::array<Vec3, 8> corners;
        for (int k = 0; k < 8; ++k)
            corners[k] = {h.x[cell[k]], h.y[cell[k]], h.z[cell[k]]};
        volume += hexahedronVolume(corners);
    }
    return volume;
}

ArcPolygon openingPolygon(const fv::HexMesh &pocket, const fv::HexMesh::BoundaryQuad &quad, double boreRadius)
{
    ArcPolygon poly;
    for (int k = 3; k >= 0; --k) {
        const Index n = quad.nodes[k];
        poly.add({boreRadius * std::atan2(pocket.y[n], pocket.x[n]), pocket.z[n]});
    }
    return poly;
}

} // namespace euler::pockets
