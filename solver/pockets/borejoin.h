#pragma once

#include "fv/geometry.h"
#include "fv/interface.h"
#include "pockets/borepolygon.h"

#include <functional>
#include <vector>

namespace euler::pockets {

using Index = fv::HexMesh::Index;

// One face of the chamber's side wall: the flat quadrilateral between the
// bore nodes at angles theta0 < theta1 (the edges of its column), from
// z = zeta0 s to z = zeta1 s for the gap s.
struct SideFace
{
    Index face = 0, cell = 0;
    double zeta0 = 0, zeta1 = 0;
};

// A column of side-wall faces between two angles, its faces from the head
// (zeta 0) to the piston (zeta 1), each starting where the last ends.
struct SideColumn
{
    double theta0 = 0, theta1 = 0; // rad, as atan2 gives the column's nodes
    std::vector<SideFace> faces;
};

// One opening face of a pocket: a boundary face of the pocket cell `cell`
// on the bore, its polygon in (a, z) about the pocket's axis
// (openingPolygon).
struct OpeningFace
{
    Index face = 0, cell = 0;
    int pocket = 0;
    ArcPolygon polygon;
};

// Where the pockets meet the chamber: the pockets' opening faces on the bore
// and the chamber's side-wall faces, which do not match them and slide along
// the bore as the piston moves, joined by their overlaps.
//
// In the bore's unrolled coordinates (a = R theta, z) every side-wall face is
// the rectangle of its column and its z range, every opening face a convex
// quadrilateral. Each overlap piece (the opening polygon clipped to the
// rectangle) joins the chamber cell to the pocket cell by one area vector,
// the exact integral of the bore's normal over the piece
// (cylinderAreaVector), which both cells use with opposite signs. What a face
// leaves uncovered is wall: its own area vector less the sum of its pieces'
// vectors, so that every cell's faces still close exactly and gas at rest
// stays at rest. The rectangle of a side-wall face is the flat face through
// its corners, so a fully covered one leaves a wall piece of rounding size.
//
// The columns stay where they are as the piston moves, so each opening face
// is clipped to the columns it meets once; every update only cuts those
// polygons at the rows' heights zeta s.
using PlaneHeight = std::function<double(double zeta)>;

class BoreJoin
{
public:
    // pocketAngles: the angle of each pocket's axis about the cylinder axis
    // (rad). Columns must tile the circumference.
    BoreJoin(double boreRadius, const std::vector<double> &pocketAngles, const std::vector<SideColumn> &columns,
             std::vector<OpeningFace> openings);

    // Every face the pieces stand in for: the side-wall faces of the columns
    // some pocket meets, and the opening faces.
    std::vector<Index> interfaceFaces() const;
    // Room for the pieces of any gap.
    Index pieceCapacity() const { return capacity_; }

    // The pieces for the gap s, with the face area vectors and centroids of
    // `geometry` (the wall pieces' vectors and where they are evaluated).
    void update(double gap, const fv::Geometry &geometry, fv::InterfacePieces &pieces);
    // The same for side-wall planes at any heights z = height(zeta), rising
    // with zeta from height(0) = 0 (the head) to height(1) (the piston).
    void update(const PlaneHeight &height, const fv::Geometry &geometry, fv::InterfacePieces &pieces);

    // Of the last update: per opening face (in the order given), the area in
    // (a, z) its overlap pieces cover, and per pocket their sum.
    const std::vector<OpeningFace> &openings() const { return openings_; }
    const std::vector<double> &openArea() const { return openArea_; }
    double pocketOpenArea(int pocket) const;
    // The side-wall faces joined (those of the columns some pocket meets),
    // and of the last update the fraction of each (in (a, z)) that opens
    // into a pocket.
    const std::vector<SideFace> &sideFaces() const { return sideFaces_; }
    const std::vector<double> &sideOpenFraction() const { return sideOpen_; }
    // Overlap pieces (not wall pieces) of the last update.
    Index overlapCount() const { return overlaps_; }

private:
    // An opening face clipped to one column, in the pocket's frame.
    struct ColumnPart
    {
        int opening;     // index into openings_
        int column;      // index into joined columns
        ArcPolygon polygon;
        double minZ, maxZ;
    };
    struct JoinedColumn
    {
        int first;       // index of its first face in sideFaces_
        int count;
        double width;    // R (theta1 - theta0)
    };

    void addOverlaps(const PlaneHeight &height, fv::InterfacePieces &pieces);
    void addWallPieces(const fv::Geometry &geometry, fv::InterfacePieces &pieces);

    double R_;
    std::vector<double> cosAngle_, sinAngle_;
    std::vector<OpeningFace> openings_;
    std::vector<SideFace> sideFaces_;   // of the joined columns, column by column
    std::vector<JoinedColumn> columns_;
    std::vector<ColumnPart> parts_;
    Index capacity_ = 0;
    Index overlaps_ = 0;
    // Sums of the overlap vectors per side face and per opening (x, y).
    std::vector<double> sideSumX_, sideSumY_, openingSumX_, openingSumY_;
    std::vector<double> openArea_, sideOpen_;
};

} // namespace euler::pockets
