#pragma once

#include "fv/boundary.h"
#include "fv/geometry.h"
#include "fv/stretch.h"
#include "fv/state.h"

#include <vector>

namespace euler::fv {

// Limited cell gradients of the primitive variables, the 15 values of a
// cell together (the flux loop reads all of them for each cell it meets):
// g[15 c + 3 var + axis].
struct Gradients
{
    std::vector<double> g;

    void resize(Index cells) { g.resize(15 * static_cast<std::size_t>(cells)); }
    double at(Index c, int var, int axis) const { return g[15 * static_cast<std::size_t>(c) + 3 * var + axis]; }
};

// Speed of every face along its unit normal (owner to neighbour), w_n in
// m/s, from the stage's swept volumes.
struct FaceMotion
{
    std::vector<double> normalSpeed;
};

// Weighted least-squares gradients: for cell c with neighbour points x_k
// (neighbour centroids, and across a boundary face the centroid mirrored at
// the face's plane), d_k = x_k - x_c and weights w_k = 1 / |d_k|^2,
//     M = sum_k w_k d_k d_k^T,    grad q = sum_k (M^-1 w_k d_k) (q_k - q_c).
// Exact for linear fields on any cell shape. The inverse-distance-squared
// weights make M a sum of unit dyads, so it stays well conditioned on the
// flat cells of a chamber near top dead centre (0.7 mm by 30 mm) where
// unweighted least squares would be dominated by the wide neighbours.
// The coefficient vectors M^-1 w_k d_k depend on the geometry only and are
// kept per entry of the cell-to-face gather, with the offsets x_f - x_c to
// the face centroids that the limiter and the reconstruction use, side by
// side (the gradient pass reads both for every entry), and the cell across
// the entry's face.
//
// Under an axial stretch (stretch.h) a cell whose stencil stretches
// affinely keeps instead the offsets to its neighbours' centroids and its
// face centroids at factor 1; the gradient pass scales their z by the
// current factor and solves the small system itself (reconstruction.cpp),
// which costs less than recomputing and reading the coefficients.
class LeastSquaresGradient
{
public:
    void resize(const Mesh &mesh);
    // Recomputes the coefficients of every cell (and ends a stretch), or of
    // some cells; called whenever the nodes have moved.
    void updateMatrices(const Mesh &mesh, const Geometry &geometry);
    void updateMatrices(const Mesh &mesh, const Geometry &geometry, const std::vector<Index> &cells);
    // Reference offsets for the cells with an affine stencil, from the
    // geometry at factor 1.
    void setStretching(const Mesh &mesh, const Geometry &reference, const AxialStretch &stretch);
    void setStretchFactor(double lambda) { lambda_ = lambda; }
    bool stretched(Index c) const { return stretched_[c] != 0; }
    double stretchFactor() const { return lambda_; }

    // Per gather entry i: coefficient vector and face-centroid offset.
    const double *coefficient(Index i) const { return &data_[6 * static_cast<std::size_t>(i)]; }
    const double *faceOffset(Index i) const { return &data_[6 * static_cast<std::size_t>(i) + 3]; }
    // The cell on the other side of entry i's face, -1 at a boundary face.
    Index across(Index i) const { return across_[i]; }

    std::size_t bytes() const
    {
        return data_.capacity() * sizeof(double) + across_.capacity() * sizeof(Index) + stretched_.capacity();
    }

private:
    void updateCell(const Mesh &mesh, const Geometry &g, Index c);

    std::vector<double> data_;
    std::vector<Index> across_;
    std::vector<char> stretched_;
    double lambda_ = 1;
};

// The normal equations of the weighted least squares, M = sum_k w_k d_k d_k^T
// with w_k = 1 / |d_k|^2, added up offset by offset; then M^-1 by
// cofactors (M is symmetric).
struct LeastSquaresMatrix
{
    double xx = 0, xy = 0, xz = 0, yy = 0, yz = 0, zz = 0;

    // Adds offset d; its weighted offset w d into wd.
    void add(const double *d, double *wd)
    {
        const double w = 1.0 / (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        for (int a = 0; a < 3; ++a)
            wd[a] = w * d[a];
        xx += wd[0] * d[0];
        xy += wd[0] * d[1];
        xz += wd[0] * d[2];
        yy += wd[1] * d[1];
        yz += wd[1] * d[2];
        zz += wd[2] * d[2];
    }
    void inverse(double (&m)[3][3]) const
    {
        const double cxx = yy * zz - yz * yz, cxy = xz * yz - xy * zz, cxz = xy * yz - xz * yy;
        const double inv = 1.0 / (xx * cxx + xy * cxy + xz * cxz);
        const double cyz = (xy * xz - xx * yz) * inv;
        m[0][0] = cxx * inv, m[0][1] = cxy * inv, m[0][2] = cxz * inv;
        m[1][0] = m[0][1], m[1][1] = (xx * zz - xz * xz) * inv, m[1][2] = cyz;
        m[2][0] = m[0][2], m[2][1] = cyz, m[2][2] = (xx * yy - xy * xy) * inv;
    }
};

// The centroid mirrored at a boundary face: with r = x_f - x_c and the
// unit normal n, d = 2 (r . n) n.
inline void mirroredOffset(const double *r, const double *n, double *d)
{
    const double dn = 2.0 * (r[0] * n[0] + r[1] * n[1] + r[2] * n[2]);
    for (int a = 0; a < 3; ++a)
        d[a] = dn * n[a];
}

inline PointState cellState(const PrimitiveFields &w, Index c)
{
    return {w[Rho][c], w[VelocityX][c], w[VelocityY][c], w[VelocityZ][c], w[Pressure][c]};
}

} // namespace euler::fv
