#include "fv/reconstruction.h"

#include "fv/limiter.h"

namespace euler::fv {

namespace {

// A hexahedron has six faces; the gather lists no more.
constexpr int maxCellFaces = 6;

// The primitive variables in pairs (PairedPrimitives).
constexpr int Pairs = 3;

inline void loadPairs(const PairedPrimitives &w, Index c, Double2 *q)
{
    const double *p = w.at(c);
    for (int j = 0; j < Pairs; ++j)
        q[j] = loadPair(p + 2 * j);
}

// The state across gather entry i: the neighbour's, or the mirror value of
// the boundary face (ghostState).
inline void stateAcross(const Mesh &mesh, const Geometry &g, const LeastSquaresGradient &lsq,
                        const BoundaryConditions &bc, const FaceMotion &motion, const PairedPrimitives &w,
                        const Double2 *own, Index i, Double2 *q)
{
    const Index o = lsq.across(i);
    if (o >= 0) {
        loadPairs(w, o, q);
        return;
    }
    const Index f = mesh.cellFaces[i]; // a boundary face is always owned
    const FaceFrame frame{g.normalX[f], g.normalY[f], g.normalZ[f], motion.normalSpeed[f]};
    const PointState s = ghostState(bc.kind[f - mesh.internalFaceCount()],
                                    {lane(own[0], 0), lane(own[0], 1), lane(own[1], 0), lane(own[1], 1), lane(own[2], 0)},
                                    frame);
    q[0] = load2(s.rho, s.u);
    q[1] = load2(s.v, s.w);
    q[2] = load2(s.p, s.p);
}

} // namespace

void limitedFaceValues(const Mesh &mesh, const Geometry &geometry, const LeastSquaresGradient &lsq,
                       const BoundaryConditions &bc, const FaceMotion &motion, const PairedPrimitives &w,
                       FaceValues *faces, Gradients *gradients)
{
    const Index cells = mesh.cellCount();
    const Double2 zero = splat<Double2>(0.0);
#pragma omp parallel for schedule(static)
    for (Index c = 0; c < cells; ++c) {
        Double2 q0[Pairs], lo[Pairs], hi[Pairs], grad[Pairs][3];
        loadPairs(w, c, q0);
        for (int j = 0; j < Pairs; ++j) {
            lo[j] = hi[j] = q0[j];
            grad[j][0] = grad[j][1] = grad[j][2] = zero;
        }
        const Index begin = mesh.cellFaceStart[c], end = mesh.cellFaceStart[c + 1];
        for (Index i = begin; i < end; ++i) {
            Double2 q[Pairs];
            stateAcross(mesh, geometry, lsq, bc, motion, w, q0, i, q);
            const double *k = lsq.coefficient(i);
            const Double2 kx = splat<Double2>(k[0]), ky = splat<Double2>(k[1]), kz = splat<Double2>(k[2]);
            for (int j = 0; j < Pairs; ++j) {
                const Double2 dq = q[j] - q0[j];
                grad[j][0] += kx * dq;
                grad[j][1] += ky * dq;
                grad[j][2] += kz * dq;
                lo[j] = minOf(lo[j], q[j]);
                hi[j] = maxOf(hi[j], q[j]);
            }
        }
        // The unlimited changes to the face centroids, their largest rise
        // and fall (limiter.h), and the limited face values.
        Double2 delta[maxCellFaces][Pairs], up[Pairs], down[Pairs], phi[Pairs];
        for (int j = 0; j < Pairs; ++j)
            up[j] = down[j] = zero;
        for (Index i = begin; i < end; ++i) {
            const double *r = lsq.faceOffset(i);
            const Double2 rx = splat<Double2>(r[0]), ry = splat<Double2>(r[1]), rz = splat<Double2>(r[2]);
            Double2 *d = delta[i - begin];
            for (int j = 0; j < Pairs; ++j) {
                d[j] = grad[j][0] * rx + grad[j][1] * ry + grad[j][2] * rz;
                up[j] = maxOf(up[j], d[j]);
                down[j] = minOf(down[j], d[j]);
            }
        }
        for (int j = 0; j < Pairs; ++j)
            phi[j] = barthJespersen(q0[j], lo[j], hi[j], up[j], down[j]);
        if (faces)
            for (Index i = begin; i < end; ++i) {
                const Index e = mesh.cellFaces[i];
                PrimitiveFields &side = e >= 0 ? faces->owner : faces->neighbour;
                const Index f = e >= 0 ? e : ~e;
                Double2 value[Pairs];
                for (int j = 0; j < Pairs; ++j)
                    value[j] = q0[j] + phi[j] * delta[i - begin][j];
                side[Rho][f] = lane(value[0], 0);
                side[VelocityX][f] = lane(value[0], 1);
                side[VelocityY][f] = lane(value[1], 0);
                side[VelocityZ][f] = lane(value[1], 1);
                side[Pressure][f] = lane(value[2], 0);
            }
        if (gradients) {
            double *g = &gradients->g[15 * static_cast<std::size_t>(c)];
            for (int a = 0; a < 3; ++a)
                for (int v = 0; v < PrimitiveCount; ++v)
                    g[3 * v + a] = lane(phi[v / 2] * grad[v / 2][a], v % 2);
        }
    }
}

void PairedPrimitives::assign(const PrimitiveFields &w)
{
    const Index cells = w.size();
    resize(cells);
#pragma omp parallel for schedule(static)
    for (Index c = 0; c < cells; ++c)
        set(c, w[Rho][c], w[VelocityX][c], w[VelocityY][c], w[VelocityZ][c], w[Pressure][c]);
}

} // namespace euler::fv
