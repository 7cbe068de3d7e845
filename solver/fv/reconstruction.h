#pragma once

#include "fv/gradient.h"

namespace euler::fv {

// Limited linear reconstruction: the primitive state of cell c at point x,
//     W(x) = W_c + phi grad W_c . (x - x_c),
// with the gradients already scaled by the limiter (limiter.h). A uniform
// field has zero gradients and gives the cell value exactly.
inline PointState reconstruct(const PrimitiveFields &w, const Gradients &g, const Geometry &geometry, Index c,
                              double x, double y, double z)
{
    const double rx = x - geometry.cellX[c], ry = y - geometry.cellY[c], rz = z - geometry.cellZ[c];
    auto at = [&](int v) { return w[v][c] + g(v, 0)[c] * rx + g(v, 1)[c] * ry + g(v, 2)[c] * rz; };
    return {at(Rho), at(VelocityX), at(VelocityY), at(VelocityZ), at(Pressure)};
}

// The state cell c presents at the centroid of face f.
inline PointState faceState(const PrimitiveFields &w, const Gradients &g, const Geometry &geometry, Index c,
                            Index f)
{
    return reconstruct(w, g, geometry, c, geometry.centreX[f], geometry.centreY[f], geometry.centreZ[f]);
}

} // namespace euler::fv
