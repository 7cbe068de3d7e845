#include "fv/reconstruction.h"

#include "fv/limiter.h"

namespace euler::fv {

void limitedGradients(const Mesh &mesh, const Geometry &geometry, const LeastSquaresGradient &lsq,
                      const BoundaryConditions &bc, const FaceMotion &motion, const PrimitiveFields &w,
                      Gradients &out)
{
    const Index cells = mesh.cellCount();
#pragma omp parallel for schedule(static)
    for (Index c = 0; c < cells; ++c) {
        const PointState own = cellState(w, c);
        const double q0[PrimitiveCount] = {own.rho, own.u, own.v, own.w, own.p};
        double lo[PrimitiveCount], hi[PrimitiveCount], grad[PrimitiveCount][3] = {};
        for (int v = 0; v < PrimitiveCount; ++v)
            lo[v] = hi[v] = q0[v];
        const Index begin = mesh.cellFaceStart[c], end = mesh.cellFaceStart[c + 1];
        for (Index i = begin; i < end; ++i) {
            const PointState o = neighbourState(mesh, geometry, bc, motion, w, own, mesh.cellFaces[i]);
            const double q[PrimitiveCount] = {o.rho, o.u, o.v, o.w, o.p};
            const double *k = lsq.coefficient(i);
            for (int v = 0; v < PrimitiveCount; ++v) {
                const double dq = q[v] - q0[v];
                grad[v][0] += k[0] * dq;
                grad[v][1] += k[1] * dq;
                grad[v][2] += k[2] * dq;
                lo[v] = std::min(lo[v], q[v]);
                hi[v] = std::max(hi[v], q[v]);
            }
        }
        double phi[PrimitiveCount] = {1, 1, 1, 1, 1};
        for (Index i = begin; i < end; ++i) {
            const double *r = lsq.faceOffset(i);
            for (int v = 0; v < PrimitiveCount; ++v)
                phi[v] = barthJespersen(phi[v], q0[v], lo[v], hi[v],
                                        grad[v][0] * r[0] + grad[v][1] * r[1] + grad[v][2] * r[2]);
        }
        double *g = &out.g[15 * static_cast<std::size_t>(c)];
        for (int v = 0; v < PrimitiveCount; ++v)
            for (int a = 0; a < 3; ++a)
                g[3 * v + a] = phi[v] * grad[v][a];
    }
}

} // namespace euler::fv
