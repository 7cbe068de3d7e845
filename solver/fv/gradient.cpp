#include "fv/gradient.h"

namespace euler::fv {

void LeastSquaresGradient::resize(const Mesh &mesh)
{
    for (auto &a : inverse_)
        a.resize(mesh.cellCount());
}

void LeastSquaresGradient::updateMatrices(const Mesh &mesh, const Geometry &geometry)
{
    const Index cells = mesh.cellCount();
#pragma omp parallel for schedule(static)
    for (Index c = 0; c < cells; ++c) {
        double xx = 0, xy = 0, xz = 0, yy = 0, yz = 0, zz = 0;
        for (Index i = mesh.cellFaceStart[c]; i < mesh.cellFaceStart[c + 1]; ++i) {
            const NeighbourPoint k = neighbourPoint(mesh, geometry, c, mesh.cellFaces[i]);
            const double w = 1.0 / (k.dx * k.dx + k.dy * k.dy + k.dz * k.dz);
            xx += w * k.dx * k.dx;
            xy += w * k.dx * k.dy;
            xz += w * k.dx * k.dz;
            yy += w * k.dy * k.dy;
            yz += w * k.dy * k.dz;
            zz += w * k.dz * k.dz;
        }
        // Inverse of the symmetric matrix by cofactors.
        const double cxx = yy * zz - yz * yz, cxy = xz * yz - xy * zz, cxz = xy * yz - xz * yy;
        const double det = xx * cxx + xy * cxy + xz * cxz;
        const double inv = 1.0 / det;
        inverse_[0][c] = cxx * inv;
        inverse_[1][c] = cxy * inv;
        inverse_[2][c] = cxz * inv;
        inverse_[3][c] = (xx * zz - xz * xz) * inv;
        inverse_[4][c] = (xy * xz - xx * yz) * inv;
        inverse_[5][c] = (xx * yy - xy * xy) * inv;
    }
}

void LeastSquaresGradient::compute(const Mesh &mesh, const Geometry &geometry, const BoundaryConditions &bc,
                                   const FaceMotion &motion, const PrimitiveFields &w, Gradients &out) const
{
    const Index cells = mesh.cellCount();
#pragma omp parallel for schedule(static)
    for (Index c = 0; c < cells; ++c) {
        const PointState own = cellState(w, c);
        const double q0[PrimitiveCount] = {own.rho, own.u, own.v, own.w, own.p};
        double rhs[PrimitiveCount][3] = {};
        for (Index i = mesh.cellFaceStart[c]; i < mesh.cellFaceStart[c + 1]; ++i) {
            const NeighbourPoint k = neighbourPoint(mesh, geometry, c, mesh.cellFaces[i]);
            const PointState o = neighbourState(mesh, bc, motion, w, own, k);
            const double q[PrimitiveCount] = {o.rho, o.u, o.v, o.w, o.p};
            const double wt = 1.0 / (k.dx * k.dx + k.dy * k.dy + k.dz * k.dz);
            for (int v = 0; v < PrimitiveCount; ++v) {
                const double dq = wt * (q[v] - q0[v]);
                rhs[v][0] += dq * k.dx;
                rhs[v][1] += dq * k.dy;
                rhs[v][2] += dq * k.dz;
            }
        }
        const double ixx = inverse_[0][c], ixy = inverse_[1][c], ixz = inverse_[2][c];
        const double iyy = inverse_[3][c], iyz = inverse_[4][c], izz = inverse_[5][c];
        for (int v = 0; v < PrimitiveCount; ++v) {
            out(v, 0)[c] = ixx * rhs[v][0] + ixy * rhs[v][1] + ixz * rhs[v][2];
            out(v, 1)[c] = ixy * rhs[v][0] + iyy * rhs[v][1] + iyz * rhs[v][2];
            out(v, 2)[c] = ixz * rhs[v][0] + iyz * rhs[v][1] + izz * rhs[v][2];
        }
    }
}

} // namespace euler::fv
