#pragma once

#include "fv/gradient.h"

namespace euler::fv {

// Limited linear reconstruction: for every cell the least-squares gradients
// of the primitive variables (gradient.h), each scaled by its
// Barth-Jespersen factor (limiter.h), computed in one pass over the cell's
// gather so that the neighbour values are read once.
void limitedGradients(const Mesh &mesh, const Geometry &geometry, const LeastSquaresGradient &lsq,
                      const BoundaryConditions &bc, const FaceMotion &motion, const PrimitiveFields &w,
                      Gradients &out);

// The primitive state of cell c at point x:
//     W(x) = W_c + phi grad W_c . (x - x_c).
// A uniform field has zero gradients and gives the cell value exactly.
inline PointState reconstruct(const PrimitiveFields &w, const Gradients &g, const Geometry &geometry, Index c,
                              double x, double y, double z)
{
    const double rx = x - geometry.cellX[c], ry = y - geometry.cellY[c], rz = z - geometry.cellZ[c];
    const double *gc = &g.g[15 * static_cast<std::size_t>(c)];
    auto at = [&](int v) { return w[v][c] + gc[3 * v] * rx + gc[3 * v + 1] * ry + gc[3 * v + 2] * rz; };
    return {at(Rho), at(VelocityX), at(VelocityY), at(VelocityZ), at(Pressure)};
}

// The state cell c presents at the centroid of face f.
inline PointState faceState(const PrimitiveFields &w, const Gradients &g, const Geometry &geometry, Index c,
                            Index f)
{
    return reconstruct(w, g, geometry, c, geometry.centreX[f], geometry.centreY[f], geometry.centreZ[f]);
}

} // namespace euler::fv
