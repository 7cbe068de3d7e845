#include "fv/boundary.h"

namespace euler::fv {

void BoundaryConditions::resize(const Mesh &mesh)
{
    kind.assign(mesh.boundaryFaceCount(), BoundaryKind::Wall);
    exchange.assign(mesh.boundaryFaceCount(), ExchangeInput{});
}

} // namespace euler::fv
