#pragma once

#include "fv/gradient.h"

namespace euler::fv {

// The limited states both sides of every face present at its centroid, as
// the flux loop reads them: per face and side a record of six values
// (rho, u, v, w, p, p), so that the gradient pass writes and the flux loop
// reads a few streams of memory rather than one per variable.
struct FaceValues
{
    static constexpr int record = 6;
    std::vector<double> owner;     // per face
    std::vector<double> neighbour; // per internal face

    void resize(const Mesh &mesh)
    {
        owner.resize(record * static_cast<std::size_t>(mesh.faceCount()));
        neighbour.resize(record * static_cast<std::size_t>(mesh.internalFaceCount()));
    }
    PointState ownerState(Index f) const { return stateOf(&owner[record * static_cast<std::size_t>(f)]); }
    PointState neighbourState(Index f) const { return stateOf(&neighbour[record * static_cast<std::size_t>(f)]); }
    static PointState stateOf(const double *r) { return {r[0], r[1], r[2], r[3], r[4]}; }
};

// The primitive state of every cell as the gradient pass reads it, six
// values a cell in pairs (rho, u), (v, w), (p, p) (the second p a copy), so
// that a neighbour's state is three loads and every variable's arithmetic
// runs two at a time (simd.h).
struct PairedPrimitives
{
    std::vector<double> v;

    void resize(Index cells) { v.resize(6 * static_cast<std::size_t>(cells)); }
    void set(Index c, double rho, double u, double vy, double wz, double p)
    {
        double *q = &v[6 * static_cast<std::size_t>(c)];
        q[0] = rho, q[1] = u, q[2] = vy, q[3] = wz, q[4] = q[5] = p;
    }
    // All cells from the primitive fields.
    void assign(const PrimitiveFields &w);
    const double *at(Index c) const { return &v[6 * static_cast<std::size_t>(c)]; }
};

// Limited linear reconstruction: for every cell the least-squares gradients
// of the primitive variables (gradient.h), each scaled by its
// Barth-Jespersen factor (limiter.h), computed in one pass over the cell's
// gather so that the neighbour values are read once, and in the same pass
// the cell's limited state at each of its face centroids,
//     W_f = W_c + phi grad W_c . (x_f - x_c),
// into `faces` (when given). The limited gradients go into `gradients` when
// given (the interface pieces reconstruct at their own centroids with them).
// A uniform field has zero gradients and gives the cell value exactly.
void limitedFaceValues(const Mesh &mesh, const Geometry &geometry, const LeastSquaresGradient &lsq,
                       const BoundaryConditions &bc, const FaceMotion &motion, const PairedPrimitives &w,
                       FaceValues *faces, Gradients *gradients);

// The primitive state of cell c at point x from its limited gradients:
//     W(x) = W_c + phi grad W_c . (x - x_c).
inline PointState reconstruct(const PrimitiveFields &w, const Gradients &g, const Geometry &geometry, Index c,
                              double x, double y, double z)
{
    const double rx = x - geometry.cellX[c], ry = y - geometry.cellY[c], rz = z - geometry.cellZ[c];
    const double *gc = &g.g[15 * static_cast<std::size_t>(c)];
    auto at = [&](int v) { return w[v][c] + gc[3 * v] * rx + gc[3 * v + 1] * ry + gc[3 * v + 2] * rz; };
    return {at(Rho), at(VelocityX), at(VelocityY), at(VelocityZ), at(Pressure)};
}

} // namespace euler::fv
