#include "pockets/headjoin.h"

#include "pockets/borepolygon.h"

#include <stdexcept>

namespace euler::pockets {

namespace {

// A face's polygon in (x, y) (ArcPolygon's a and z), counter-clockwise seen
// from +z: the nodes of a face whose normal points to -z taken in reverse.
ArcPolygon planePolygon(const fv::Mesh &mesh, const fv::HexMesh &hex, Index face, bool reverse)
{
    ArcPolygon poly;
    for (int k = 0; k < 4; ++k) {
        const Index n = mesh.faceNodes[4 * static_cast<size_t>(face) + static_cast<size_t>(reverse ? 3 - k : k)];
        poly.add({hex.x[static_cast<size_t>(n)], hex.y[static_cast<size_t>(n)]});
    }
    return poly;
}

// The part of a convex polygon left of the line from p to q (Sutherland-
// Hodgman, one edge of the clipping polygon).
ArcPolygon clipLeftOf(const ArcPolygon &poly, const ArcPoint &p, const ArcPoint &q)
{
    const auto side = [&](const ArcPoint &r) { return (q.a - p.a) * (r.z - p.z) - (q.z - p.z) * (r.a - p.a); };
    ArcPolygon out;
    for (int i = 0; i < poly.size; ++i) {
        const ArcPoint &s = poly.p[i], &e = poly.p[(i + 1) % poly.size];
        const double ds = side(s), de = side(e);
        if (ds >= 0)
            out.add(s);
        if ((ds >= 0) != (de >= 0)) {
            const double t = ds / (ds - de);
            out.add({s.a + t * (e.a - s.a), s.z + t * (e.z - s.z)});
        }
    }
    return out;
}

ArcPolygon intersection(ArcPolygon subject, const ArcPolygon &clip)
{
    for (int i = 0; i < clip.size && subject.size > 0; ++i)
        subject = clipLeftOf(subject, clip.p[i], clip.p[(i + 1) % clip.size]);
    return subject;
}

bool boxesMeet(const ArcPolygon &a, const ArcPolygon &b)
{
    return a.minA() <= b.maxA() && b.minA() <= a.maxA() && a.minZ() <= b.maxZ() && b.minZ() <= a.maxZ();
}

} // namespace

HeadJoin::HeadJoin(const fv::Mesh &mesh, const fv::HexMesh &hex, const std::vector<Index> &headFaces,
                   const std::vector<Index> &recessFaces)
    : recessFaces_(recessFaces), openArea_(recessFaces.size(), 0.0)
{
    std::vector<ArcPolygon> head;
    for (Index f : headFaces) {
        head.push_back(planePolygon(mesh, hex, f, true));
        if (!isConvexCounterClockwise(head.back()))
            throw std::logic_error("a head face of the chamber is no convex quadrilateral");
    }
    std::vector<double> headSum(headFaces.size(), 0.0);
    for (size_t r = 0; r < recessFaces.size(); ++r) {
        const Index rf = recessFaces[r];
        const ArcPolygon opening = planePolygon(mesh, hex, rf, false);
        double sum = 0;
        for (size_t h = 0; h < headFaces.size(); ++h) {
            if (!boxesMeet(opening, head[h]))
                continue;
            const ArcPolygon piece = intersection(opening, head[h]);
            const double a = piece.size >= 3 ? area(piece) : 0.0;
            if (!(a > 0))
                continue;
            const ArcPoint c = centroid(piece);
            pieces_.push_back({mesh.owner[static_cast<size_t>(headFaces[h])], mesh.owner[static_cast<size_t>(rf)], a, c.a, c.z});
            headSum[h] -= a;
            sum -= a;
        }
        openArea_[r] = -sum;
        recess_.push_back({rf, mesh.owner[static_cast<size_t>(rf)], sum});
    }
    for (size_t h = 0; h < headFaces.size(); ++h)
        if (headSum[h] != 0)
            head_.push_back({headFaces[h], mesh.owner[static_cast<size_t>(headFaces[h])], headSum[h]});
}

std::vector<Index> HeadJoin::interfaceFaces() const
{
    std::vector<Index> faces;
    for (const JoinedFace &f : head_)
        faces.push_back(f.face);
    for (const JoinedFace &f : recess_)
        faces.push_back(f.face);
    return faces;
}

Index HeadJoin::pieceCount() const
{
    return static_cast<Index>(pieces_.size() + head_.size() + recess_.size());
}

// The pieces point from the chamber into the recess (-z); a head face
// (whose vector points to -z) keeps its vector less theirs, a recess face
// (pointing to +z) its vector plus theirs.
void HeadJoin::append(const fv::Geometry &g, fv::InterfacePieces &pieces) const
{
    for (const Piece &p : pieces_)
        pieces.add(p.chamberCell, p.recessCell, 0.0, 0.0, -p.area, p.x, p.y, 0.0);
    for (const JoinedFace &f : head_) {
        const size_t i = static_cast<size_t>(f.face);
        pieces.add(f.cell, -1, g.areaX[i], g.areaY[i], g.areaZ[i] - f.sumZ, g.centreX[i], g.centreY[i], g.centreZ[i]);
    }
    for (const JoinedFace &f : recess_) {
        const size_t i = static_cast<size_t>(f.face);
        pieces.add(f.cell, -1, g.areaX[i], g.areaY[i], g.areaZ[i] + f.sumZ, g.centreX[i], g.centreY[i], g.centreZ[i]);
    }
}

} // namespace euler::pockets
