#include "fv/limiter.h"

#include <algorithm>

namespace euler::fv {

void limitGradients(const Mesh &mesh, const Geometry &geometry, const BoundaryConditions &bc,
                    const FaceMotion &motion, const PrimitiveFields &w, Gradients &g)
{
    const Index cells = mesh.cellCount();
#pragma omp parallel for schedule(static)
    for (Index c = 0; c < cells; ++c) {
        const PointState own = cellState(w, c);
        const double q0[PrimitiveCount] = {own.rho, own.u, own.v, own.w, own.p};
        double lo[PrimitiveCount], hi[PrimitiveCount], phi[PrimitiveCount];
        for (int v = 0; v < PrimitiveCount; ++v) {
            lo[v] = hi[v] = q0[v];
            phi[v] = 1.0;
        }
        const Index begin = mesh.cellFaceStart[c], end = mesh.cellFaceStart[c + 1];
        for (Index i = begin; i < end; ++i) {
            const NeighbourPoint k = neighbourPoint(mesh, geometry, c, mesh.cellFaces[i]);
            const PointState o = neighbourState(mesh, bc, motion, w, own, k);
            const double q[PrimitiveCount] = {o.rho, o.u, o.v, o.w, o.p};
            for (int v = 0; v < PrimitiveCount; ++v) {
                lo[v] = std::min(lo[v], q[v]);
                hi[v] = std::max(hi[v], q[v]);
            }
        }
        for (Index i = begin; i < end; ++i) {
            const Index entry = mesh.cellFaces[i];
            const Index f = entry >= 0 ? entry : ~entry;
            const double rx = geometry.centreX[f] - geometry.cellX[c];
            const double ry = geometry.centreY[f] - geometry.cellY[c];
            const double rz = geometry.centreZ[f] - geometry.cellZ[c];
            for (int v = 0; v < PrimitiveCount; ++v) {
                const double delta = g(v, 0)[c] * rx + g(v, 1)[c] * ry + g(v, 2)[c] * rz;
                if (delta > 0)
                    phi[v] = std::min(phi[v], (hi[v] - q0[v]) / delta);
                else if (delta < 0)
                    phi[v] = std::min(phi[v], (lo[v] - q0[v]) / delta);
            }
        }
        for (int v = 0; v < PrimitiveCount; ++v)
            for (int a = 0; a < 3; ++a)
                g(v, a)[c] *= phi[v];
    }
}

} // namespace euler::fv
