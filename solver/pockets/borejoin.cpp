#include "pockets/borejoin.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace euler::pockets {

namespace {

// An angle relative to a reference, in [-pi, pi].
double relativeAngle(double theta, double reference)
{
    return std::remainder(theta - reference, 2 * M_PI);
}

// The capacity covers every piece the join can make; a full one is a fault.
void add(fv::InterfacePieces &pieces, Index owner, Index neighbour, double ax, double ay, double az, double cx,
         double cy, double cz)
{
    if (!pieces.add(owner, neighbour, ax, ay, az, cx, cy, cz))
        throw std::logic_error("the bore join has more pieces than it reserved room for");
}

} // namespace

BoreJoin::BoreJoin(double boreRadius, const std::vector<double> &pocketAngles, const std::vector<SideColumn> &columns,
                   std::vector<OpeningFace> openings)
    : R_(boreRadius), openings_(std::move(openings))
{
    for (double angle : pocketAngles) {
        cosAngle_.push_back(std::cos(angle));
        sinAngle_.push_back(std::sin(angle));
    }
    // Columns each pocket meets, and the opening faces clipped to them.
    std::vector<int> joinedIndex(columns.size(), -1);
    for (size_t o = 0; o < openings_.size(); ++o) {
        const OpeningFace &face = openings_[o];
        const double alpha = pocketAngles[static_cast<size_t>(face.pocket)];
        const double a0 = face.polygon.minA(), a1 = face.polygon.maxA();
        for (size_t c = 0; c < columns.size(); ++c) {
            const double t0 = R_ * relativeAngle(columns[c].theta0, alpha);
            const double t1 = R_ * relativeAngle(columns[c].theta1, alpha);
            // A column that wraps round in this frame lies behind the pocket.
            if (!(t0 < t1) || t1 <= a0 || t0 >= a1)
                continue;
            const ArcPolygon part = clipA(clipA(face.polygon, t0, true), t1, false);
            if (!(area(part) > 0))
                continue;
            if (joinedIndex[c] < 0) {
                joinedIndex[c] = static_cast<int>(columns_.size());
                columns_.push_back({static_cast<int>(sideFaces_.size()), static_cast<int>(columns[c].faces.size()),
                                    t1 - t0});
                sideFaces_.insert(sideFaces_.end(), columns[c].faces.begin(), columns[c].faces.end());
            }
            parts_.push_back({static_cast<int>(o), joinedIndex[c], part, part.minZ(), part.maxZ()});
        }
    }
    capacity_ = static_cast<Index>(sideFaces_.size() + openings_.size());
    for (const ColumnPart &p : parts_)
        capacity_ += columns_[static_cast<size_t>(p.column)].count;
    sideSumX_.assign(sideFaces_.size(), 0.0);
    sideSumY_.assign(sideFaces_.size(), 0.0);
    openingSumX_.assign(openings_.size(), 0.0);
    openingSumY_.assign(openings_.size(), 0.0);
    openArea_.assign(openings_.size(), 0.0);
    sideOpen_.assign(sideFaces_.size(), 0.0);
}

std::vector<Index> BoreJoin::interfaceFaces() const
{
    std::vector<Index> faces;
    for (const SideFace &f : sideFaces_)
        faces.push_back(f.face);
    for (const OpeningFace &f : openings_)
        faces.push_back(f.face);
    return faces;
}

double BoreJoin::pocketOpenArea(int pocket) const
{
    double sum = 0;
    for (size_t o = 0; o < openings_.size(); ++o)
        if (openings_[o].pocket == pocket)
            sum += openArea_[o];
    return sum;
}

void BoreJoin::update(double gap, const fv::Geometry &geometry, fv::InterfacePieces &pieces)
{
    update([gap](double zeta) { return zeta * gap; }, geometry, pieces);
}

void BoreJoin::update(const PlaneHeight &height, const fv::Geometry &geometry, fv::InterfacePieces &pieces)
{
    pieces.clear();
    std::fill(sideSumX_.begin(), sideSumX_.end(), 0.0);
    std::fill(sideSumY_.begin(), sideSumY_.end(), 0.0);
    std::fill(openingSumX_.begin(), openingSumX_.end(), 0.0);
    std::fill(openingSumY_.begin(), openingSumY_.end(), 0.0);
    std::fill(openArea_.begin(), openArea_.end(), 0.0);
    std::fill(sideOpen_.begin(), sideOpen_.end(), 0.0);
    addOverlaps(height, pieces);
    addWallPieces(geometry, pieces);
}

// Each column part cut at the heights of its column's faces within
// [0, height(1)]; the faces are in order, so the first one reaching above the part's
// bottom is found by bisection and the rest follow until one starts above
// its top.
void BoreJoin::addOverlaps(const PlaneHeight &height, fv::InterfacePieces &pieces)
{
    overlaps_ = 0;
    const double piston = height(1.0);
    for (const ColumnPart &part : parts_) {
        const double bottom = std::max(part.minZ, 0.0), top = std::min(part.maxZ, piston);
        if (!(bottom < top))
            continue;
        const JoinedColumn &column = columns_[static_cast<size_t>(part.column)];
        const auto begin = sideFaces_.begin() + column.first, end = begin + column.count;
        auto face = std::partition_point(begin, end, [&](const SideFace &f) { return height(f.zeta1) <= bottom; });
        const OpeningFace &opening = openings_[static_cast<size_t>(part.opening)];
        const double c = cosAngle_[static_cast<size_t>(opening.pocket)], s = sinAngle_[static_cast<size_t>(opening.pocket)];
        for (; face != end; ++face) {
            const double z0 = height(face->zeta0), z1 = height(face->zeta1);
            if (!(z0 < top))
                break;
            const ArcPolygon piece = clipZBand(part.polygon, z0, z1);
            const double pieceArea = area(piece);
            if (!(pieceArea > 0))
                continue;
            const PlaneVector local = cylinderAreaVector(piece, R_);
            const double ax = c * local.x - s * local.y, ay = s * local.x + c * local.y;
            const ArcPoint centre = centroid(piece);
            const double theta = centre.a / R_;
            const double cx = R_ * std::cos(theta), cy = R_ * std::sin(theta);
            add(pieces, face->cell, opening.cell, ax, ay, 0.0, c * cx - s * cy, s * cx + c * cy, centre.z);
            const size_t side = static_cast<size_t>(face - sideFaces_.begin());
            sideSumX_[side] += ax;
            sideSumY_[side] += ay;
            openingSumX_[static_cast<size_t>(part.opening)] += ax;
            openingSumY_[static_cast<size_t>(part.opening)] += ay;
            openArea_[static_cast<size_t>(part.opening)] += pieceArea;
            sideOpen_[side] += pieceArea / (column.width * (z1 - z0));
            ++overlaps_;
        }
    }
}

// What the overlaps leave of every joined face is wall. The pieces point
// from the chamber into the pockets: a side-wall face keeps its vector less
// theirs, an opening face (whose vector points into the chamber) its vector
// plus theirs.
void BoreJoin::addWallPieces(const fv::Geometry &g, fv::InterfacePieces &pieces)
{
    for (size_t i = 0; i < sideFaces_.size(); ++i) {
        const size_t f = static_cast<size_t>(sideFaces_[i].face);
        add(pieces, sideFaces_[i].cell, -1, g.areaX[f] - sideSumX_[i], g.areaY[f] - sideSumY_[i], g.areaZ[f],
                   g.centreX[f], g.centreY[f], g.centreZ[f]);
    }
    for (size_t i = 0; i < openings_.size(); ++i) {
        const size_t f = static_cast<size_t>(openings_[i].face);
        add(pieces, openings_[i].cell, -1, g.areaX[f] + openingSumX_[i], g.areaY[f] + openingSumY_[i], g.areaZ[f],
                   g.centreX[f], g.centreY[f], g.centreZ[f]);
    }
}

} // namespace euler::pockets
