#include "chamber/wallfiles.h"

#include "io/surfacefile.h"

#include <cmath>
#include <map>

namespace euler::chamber {

namespace planar = surfacefile::planar;
namespace side = surfacefile::side;
using formats::caselayout::Surface;

WallFiles::WallFiles(const ChamberSimulation &simulation, const std::filesystem::path &caseDirectory)
    : caseDirectory_(caseDirectory)
{
    const ChamberMesh &mesh = simulation.mesh();
    head_.grid = discGrid(mesh, false);
    piston_.grid = discGrid(mesh, true);
    side_.grid = sideGrid(mesh);
    for (WallFiles::Wall *s : {&head_, &piston_}) {
        const WallGrid &g = s->grid;
        for (Index p = 0; p < g.pointCount(); ++p) {
            const size_t i = static_cast<size_t>(p);
            s->prefix.push_back(surfacefile::planarPrefix(p + 1, g.row[i], g.inRow[i], g.x[i], g.y[i]));
        }
    }
    const WallGrid &g = side_.grid;
    for (Index p = 0; p < g.pointCount(); ++p) {
        const size_t i = static_cast<size_t>(p);
        side_.prefix.push_back(surfacefile::sidePrefix(p + 1, g.inRow[i], g.row[i], g.x[i], g.y[i]));
        const double r = std::hypot(g.x[i], g.y[i]);
        cosine_.push_back(g.x[i] / r);
        sine_.push_back(g.y[i] / r);
    }
    std::map<Index, size_t> quadOf;
    for (size_t q = 0; q < simulation.sideFaces().size(); ++q)
        quadOf[simulation.sideFaces()[q]] = q;
    if (const pockets::BoreJoin *join = simulation.join())
        for (const pockets::SideFace &f : join->sideFaces())
            joinedQuads_.push_back(quadOf.at(f.face));
}

void WallFiles::faceValues(const ChamberSimulation &simulation, const std::vector<Index> &faces, Values &values) const
{
    const double R = simulation.compressor().gas.R;
    for (std::vector<double> *v : {&values.rho, &values.p, &values.u, &values.v, &values.w, &values.T, &values.radial})
        v->assign(faces.size(), 0.0);
    for (size_t k = 0; k < faces.size(); ++k) {
        const fv::PointState s = simulation.wallState(faces[k]);
        values.rho[k] = s.rho;
        values.p[k] = s.p;
        values.u[k] = s.u;
        values.v[k] = s.v;
        values.w[k] = s.w;
        values.T[k] = s.p / (s.rho * R);
    }
}

void WallFiles::sample(const WallGrid &grid, const Values &faces, Values &points) const
{
    grid.sample(faces.rho, points.rho);
    grid.sample(faces.p, points.p);
    grid.sample(faces.u, points.u);
    grid.sample(faces.v, points.v);
    grid.sample(faces.w, points.w);
    grid.sample(faces.T, points.T);
    grid.sample(faces.radial, points.radial);
}

std::string WallFiles::discText(const ChamberSimulation &simulation, const Wall &surface,
                                const std::vector<Index> &faces, bool piston)
{
    faceValues(simulation, faces, faces_);
    sample(surface.grid, faces_, points_);
    const Compressor &m = simulation.compressor();
    const double phi = m.crank.omega() * simulation.time();
    const double z = piston ? simulation.gap() : 0.0;
    const double w = piston ? m.crank.pistonVelocity(phi) : 0.0;
    std::string out;
    out.reserve(surface.prefix.size() * 110);
    for (size_t i = 0; i < surface.prefix.size(); ++i) {
        double f[planar::count + 1] = {};
        f[planar::z] = z;
        f[planar::density] = points_.rho[i];
        f[planar::pressure] = points_.p[i];
        f[planar::velocityX] = points_.u[i];
        f[planar::velocityY] = points_.v[i];
        f[planar::velocityZ] = w;
        f[planar::temperature] = points_.T[i];
        out += surface.prefix[i];
        surfacefile::appendPlanarValues(out, f);
    }
    return out;
}

std::string WallFiles::headText(const ChamberSimulation &simulation)
{
    return discText(simulation, head_, simulation.headFaces(), false);
}

std::string WallFiles::pistonText(const ChamberSimulation &simulation)
{
    return discText(simulation, piston_, simulation.pistonFaces(), true);
}

std::string WallFiles::sideText(const ChamberSimulation &simulation)
{
    const std::vector<Index> &faces = simulation.sideFaces();
    faceValues(simulation, faces, faces_);
    // Where the wall opens into a pocket: the gas's speed out of the bore
    // there, times the open fraction of the face.
    const fv::Geometry &g = simulation.solver().geometry();
    if (const pockets::BoreJoin *join = simulation.join())
        for (size_t i = 0; i < joinedQuads_.size(); ++i) {
            const size_t quad = joinedQuads_[i], f = static_cast<size_t>(faces[quad]);
            const double out = (faces_.u[quad] * g.areaX[f] + faces_.v[quad] * g.areaY[f]) / g.area[f];
            faces_.radial[quad] = join->sideOpenFraction()[i] * out;
        }
    sample(side_.grid, faces_, points_);
    const double gap = simulation.gap();
    std::string out;
    out.reserve(side_.prefix.size() * 120);
    for (size_t i = 0; i < side_.prefix.size(); ++i) {
        double f[side::count + 1] = {};
        f[side::z] = side_.grid.zeta[i] * gap;
        f[side::arcLength] = side_.grid.arc[i];
        f[side::density] = points_.rho[i];
        f[side::pressure] = points_.p[i];
        f[side::velocityAlongWall] = -sine_[i] * points_.u[i] + cosine_[i] * points_.v[i];
        f[side::velocityAxial] = points_.w[i];
        f[side::velocityRadial] = points_.radial[i];
        f[side::temperature] = points_.T[i];
        out += side_.prefix[i];
        surfacefile::appendSideValues(out, f);
    }
    return out;
}

void WallFiles::write(int step, ChamberSimulation &simulation)
{
    simulation.refreshWallStates();
    surfacefile::writeStep(caseDirectory_, step, [&](Surface surface) {
        return surface == Surface::Head ? headText(simulation) : surface == Surface::Piston ? pistonText(simulation)
                                                                                          : sideText(simulation);
    });
}

} // namespace euler::chamber
