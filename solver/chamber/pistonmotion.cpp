#include "chamber/pistonmotion.h"

#include <numeric>

namespace euler::chamber {

PistonMotion::PistonMotion(const ChamberMesh &mesh, const SliderCrank &crank)
    : crank_(crank), nodes_(mesh.zeta().size()), zeta_(mesh.zeta())
{
    std::iota(nodes_.begin(), nodes_.end(), Index(0));
}

} // namespace euler::chamber
