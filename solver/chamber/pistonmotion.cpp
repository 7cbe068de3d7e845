#include "chamber/pistonmotion.h"

namespace euler::chamber {

PistonMotion::PistonMotion(const ChamberMesh &mesh, const SliderCrank &crank)
    : crank_(crank), x_(mesh.hex().x), y_(mesh.hex().y), zeta_(mesh.zeta())
{
}

void PistonMotion::positions(double t, fv::NodePositions &nodes) const
{
    const double s = gap(t);
    const size_t n = zeta_.size();
    nodes.x.resize(n);
    nodes.y.resize(n);
    nodes.z.resize(n);
    for (size_t i = 0; i < n; ++i) {
        nodes.x[i] = x_[i];
        nodes.y[i] = y_[i];
        nodes.z[i] = zeta_[i] * s;
    }
}

} // namespace euler::chamber
