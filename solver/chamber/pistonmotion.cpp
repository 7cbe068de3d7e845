#include "chamber/pistonmotion.h"

namespace euler::chamber {

PistonMotion::PistonMotion(const ChamberMesh &mesh, const SliderCrank &crank, const fv::HexMesh &all)
    : crank_(crank), x_(all.x), y_(all.y), zeta_(mesh.zeta()),
      fixedZ_(all.z.begin() + static_cast<std::ptrdiff_t>(mesh.zeta().size()), all.z.end())
{
}

void PistonMotion::positions(double t, fv::NodePositions &nodes) const
{
    const double s = gap(t);
    const size_t moving = zeta_.size(), n = x_.size();
    nodes.x.resize(n);
    nodes.y.resize(n);
    nodes.z.resize(n);
    for (size_t i = 0; i < n; ++i) {
        nodes.x[i] = x_[i];
        nodes.y[i] = y_[i];
    }
    for (size_t i = 0; i < moving; ++i)
        nodes.z[i] = zeta_[i] * s;
    for (size_t i = moving; i < n; ++i)
        nodes.z[i] = fixedZ_[i - moving];
}

} // namespace euler::chamber
