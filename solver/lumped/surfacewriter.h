#pragma once

#include "lumped/surfaceflow.h"
#include "io/surfacegrid.h"

#include <filesystem>
#include <string>
#include <vector>

namespace euler {

// The chamber at one output instant, as the surface sampling needs it.
struct SurfaceInstant
{
    double gap = 0;
    double pressure = 0, density = 0;
    double gamma = 1.4, R = 287;
    ChamberFlowField flow;
};

// Writes head/headNNN.txt, piston/pistonNNN.txt and side/sideNNN.txt, one
// line per grid point, rows (rings) in order, fields separated by one blank:
//   head, piston: 1 point no., 2 ring (row index), 3 point in ring, 4 x, 5 y,
//                 6 z, 7 rho, 8 p, 9 u, 10 v, 11 w, 12 T
//   side:         1 point no., 2 point in ring, 3 ring (row index), 4 x, 5 y,
//                 6 z, 7 arc length, 8 rho, 9 p, 10 velocity along the arc,
//                 11 axial velocity, 12 radial velocity, 13 T
// Coordinates are fixed per grid point, so their text is made once.
class SurfaceWriter
{
public:
    SurfaceWriter(const SurfaceGrid &grid, const std::filesystem::path &caseDirectory);

    std::string headText(const SurfaceInstant &instant) const;
    std::string pistonText(const SurfaceInstant &instant) const;
    std::string sideText(const SurfaceInstant &instant) const;
    void writeStep(int step, const SurfaceInstant &instant) const;

    // "001", "042", "1000"
    static std::string stepNumber(int step);

private:
    struct DiscPoint { double x, y; std::string prefix; };
    std::string discText(const SurfaceInstant &instant, double z) const;

    SurfaceGrid grid_;
    std::filesystem::path caseDirectory_;
    std::vector<DiscPoint> disc_;
    std::vector<std::string> sidePrefix_; // fields 1-5, per row and point
    std::vector<std::string> arcText_;    // field 7, per point in ring
};

} // namespace euler
