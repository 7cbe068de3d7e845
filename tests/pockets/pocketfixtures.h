#pragma once

// What the pocket tests share: the reference pocket mesh, mapped onto other
// geometries by the front end's mapping, and the chamber's side wall as
// columns of equal angle and rows of equal height.
#include "io/pocketmesh.h"
#include "pockets/borejoin.h"
#include "pockets/pocketplacement.h"
#include "pockets/pocketproper.h"

#include <QString>

#include <memory>

namespace pockettest {

using namespace euler;
using namespace euler::pockets;

// The shipped reference mesh (piston radius 340 mm, pocket radius 100 mm,
// cone 40 mm, pocket 19 mm), in metres.
fv::HexMesh referenceMesh();

// The reference mapped onto another geometry (millimetres), in metres.
fv::HexMesh mappedMesh(double pistonRadiusMm, double pocketRadiusMm, double coneHeightMm, double pocketHeightMm);

// Pockets placed at angles round a side wall of `columns` equal columns (the
// first starting at angle 0) and `rows` equal rows, for a bore of the
// reference radius. The finite-volume mesh holds the pockets only; the side
// faces follow its faces in the geometry (side face (l, j) is face
// faceCount + j columns + l, of the made-up chamber cell cellCount + j
// columns + l), with the area vector and centroid of the flat face through
// their corners at the gap setGap gives.
struct JoinCase
{
    static constexpr double boreRadius = 0.34;

    JoinCase(const std::vector<double> &angles, int columns, int rows);
    void setGap(double gap);
    BoreJoin join() const { return BoreJoin(boreRadius, placed.angles, wall, openings); }

    PocketProper pocket;
    fv::HexMesh hex;
    PlacedPockets placed;
    std::unique_ptr<fv::Mesh> mesh;
    fv::Geometry geometry;
    int columns, rows;
    std::vector<SideColumn> wall;
    std::vector<OpeningFace> openings;
};

// The sample case's four pocket angles, in radians.
std::vector<double> sampleAngles();

} // namespace pockettest
