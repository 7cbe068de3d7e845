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

// Writes head/headNNN.txt, piston/pistonNNN.txt and side/sideNNN.txt in the
// columns of formats/surfacecolumns.h, one line per grid point, rows (rings)
// in order. The columns up to y are fixed per grid point, so their text is
// made once.
class SurfaceWriter
{
public:
    SurfaceWriter(const SurfaceGrid &grid, const std::filesystem::path &caseDirectory);

    std::string headText(const SurfaceInstant &instant) const;
    std::string pistonText(const SurfaceInstant &instant) const;
    std::string sideText(const SurfaceInstant &instant) const;
    void writeStep(int step, const SurfaceInstant &instant) const;

private:
    struct DiscPoint { double x, y; std::string prefix; };
    std::string discText(const SurfaceInstant &instant, double z) const;

    SurfaceGrid grid_;
    std::filesystem::path caseDirectory_;
    std::vector<DiscPoint> disc_;
    std::vector<std::string> sidePrefix_; // the columns up to y, per row and point
};

} // namespace euler
