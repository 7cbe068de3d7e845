#pragma once

#include "chamber/chambersimulation.h"
#include "chamber/wallgrid.h"

#include <filesystem>
#include <string>
#include <vector>

namespace euler::chamber {

// Writes head/headNNN.txt, piston/pistonNNN.txt and side/sideNNN.txt of
// output step k from the computed field: at every grid point of the wall
// grids (wallgrid.h), the limited face states of the wall faces around it.
//  - head and piston: density, pressure, u, v, temperature as sampled; w is
//    the wall's own speed, 0 on the head and the piston's on the piston;
//  - side: the velocity along the wall and along z as sampled; the radial
//    velocity, where the wall opens into a pocket, the sampled speed out of
//    the bore times the open fraction of the face (pockets::BoreJoin), 0 on
//    the closed wall.
class WallFiles
{
public:
    WallFiles(const ChamberSimulation &simulation, const std::filesystem::path &caseDirectory);

    void write(int step, ChamberSimulation &simulation);

    std::string headText(const ChamberSimulation &simulation);
    std::string pistonText(const ChamberSimulation &simulation);
    std::string sideText(const ChamberSimulation &simulation);

private:
    struct Wall
    {
        WallGrid grid;
        std::vector<std::string> prefix; // the columns up to y, per point
    };
    // Face values of a patch, then sampled at the grid points.
    struct Values
    {
        std::vector<double> rho, p, u, v, w, T, radial;
    };
    void faceValues(const ChamberSimulation &simulation, const std::vector<Index> &faces, Values &values) const;
    void sample(const WallGrid &grid, const Values &faces, Values &points) const;
    std::string discText(const ChamberSimulation &simulation, const Wall &surface, const std::vector<Index> &faces,
                         bool piston);

    std::filesystem::path caseDirectory_;
    Wall head_, piston_, side_;
    std::vector<double> cosine_, sine_; // of the side points' angles
    std::vector<size_t> joinedQuads_; // side quad of every face joined to the pockets
    Values faces_, points_;
};

} // namespace euler::chamber
