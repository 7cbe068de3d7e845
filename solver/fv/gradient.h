#pragma once

#include "fv/boundary.h"
#include "fv/geometry.h"
#include "fv/state.h"

#include <array>
#include <vector>

namespace euler::fv {

// Cell gradients of the primitive variables, g[3 var + axis][cell].
struct Gradients
{
    std::array<std::vector<double>, 3 * PrimitiveCount> g;

    void resize(Index cells)
    {
        for (auto &a : g)
            a.resize(cells);
    }
    std::vector<double> &operator()(int var, int axis) { return g[3 * var + axis]; }
    const std::vector<double> &operator()(int var, int axis) const { return g[3 * var + axis]; }
};

// Per face what gradients, limiter and fluxes need to know beyond the
// geometry: the unit normal and the speed of the face along it (from the
// stage's swept volumes), and the boundary kinds.
struct FaceMotion
{
    std::vector<double> normalSpeed; // w_n per face, m/s
};

// Weighted least-squares gradients: for cell c with neighbour points x_k
// (neighbour centroids, and across a boundary face the centroid mirrored at
// the face's plane), d_k = x_k - x_c and weights w_k = 1 / |d_k|^2,
//     M = sum_k w_k d_k d_k^T,    grad q = M^-1 sum_k w_k d_k (q_k - q_c).
// Exact for linear fields on any cell shape. The inverse-distance-squared
// weights make M a sum of unit dyads, so it stays well conditioned on the
// flat cells of a chamber near top dead centre (0.7 mm by 30 mm) where
// unweighted least squares would be dominated by the wide neighbours.
// Mirror values at boundary faces follow ghostState (boundary.h).
class LeastSquaresGradient
{
public:
    void resize(const Mesh &mesh);
    // Inverts M for every cell; called whenever the nodes have moved.
    void updateMatrices(const Mesh &mesh, const Geometry &geometry);
    void compute(const Mesh &mesh, const Geometry &geometry, const BoundaryConditions &bc,
                 const FaceMotion &motion, const PrimitiveFields &w, Gradients &out) const;

private:
    // Symmetric inverse, entries xx, xy, xz, yy, yz, zz.
    std::array<std::vector<double>, 6> inverse_;
};

// The neighbour point of cell c across entry `entry` of its gather, and the
// face's unit normal seen from c (pointing out of c).
struct NeighbourPoint
{
    double dx, dy, dz; // x_k - x_c
    double nx, ny, nz;
    double sign;       // +1 when c owns the face
    Index other;       // neighbour cell, or -1 across a boundary face
    Index face;
};

inline NeighbourPoint neighbourPoint(const Mesh &mesh, const Geometry &g, Index c, Index entry)
{
    const bool owned = entry >= 0;
    const Index f = owned ? entry : ~entry;
    const double sign = owned ? 1.0 : -1.0;
    const double s = sign / g.area[f];
    const double nx = s * g.areaX[f], ny = s * g.areaY[f], nz = s * g.areaZ[f];
    if (f < mesh.internalFaceCount()) {
        const Index o = owned ? mesh.neighbour[f] : mesh.owner[f];
        return {g.cellX[o] - g.cellX[c], g.cellY[o] - g.cellY[c], g.cellZ[o] - g.cellZ[c], nx, ny, nz, sign, o, f};
    }
    const double dn = 2.0 * ((g.centreX[f] - g.cellX[c]) * nx + (g.centreY[f] - g.cellY[c]) * ny
                             + (g.centreZ[f] - g.cellZ[c]) * nz);
    return {dn * nx, dn * ny, dn * nz, nx, ny, nz, sign, -1, f};
}

// The face's frame seen from the cell: outward normal and speed along it.
inline FaceFrame outwardFrame(const NeighbourPoint &k, const FaceMotion &motion)
{
    return {k.nx, k.ny, k.nz, k.sign * motion.normalSpeed[k.face]};
}

inline PointState cellState(const PrimitiveFields &w, Index c)
{
    return {w[Rho][c], w[VelocityX][c], w[VelocityY][c], w[VelocityZ][c], w[Pressure][c]};
}

// The state cell c sees across one face of its gather.
inline PointState neighbourState(const Mesh &mesh, const BoundaryConditions &bc, const FaceMotion &motion,
                                 const PrimitiveFields &w, const PointState &own, const NeighbourPoint &k)
{
    if (k.other >= 0)
        return cellState(w, k.other);
    return ghostState(bc.kind[k.face - mesh.internalFaceCount()], own, outwardFrame(k, motion));
}

} // namespace euler::fv
