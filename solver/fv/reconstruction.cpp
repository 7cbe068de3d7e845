#include "fv/reconstruction.h"

#include "fv/limiter.h"
#include "fv/parallel.h"

namespace euler::fv {

namespace {

constexpr int facesPerCell = Mesh::facesPerCell;

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

// What the pass reads and writes.
struct CellPass
{
    const Mesh &mesh;
    const Geometry &geometry;
    const LeastSquaresGradient &lsq;
    const BoundaryConditions &bc;
    const FaceMotion &motion;
    const PairedPrimitives &w;
    FaceValues *faces;
    Gradients *gradients;
};

inline void limitCell(const CellPass &p, Index c)
{
    const Mesh &mesh = p.mesh;
    const LeastSquaresGradient &lsq = p.lsq;
    FaceValues *faces = p.faces;
    Gradients *gradients = p.gradients;
    const Double2 zero = splat<Double2>(0.0);
    Double2 q0[Pairs], lo[Pairs], hi[Pairs], grad[Pairs][3];
    loadPairs(p.w, c, q0);
    for (int j = 0; j < Pairs; ++j) {
        lo[j] = hi[j] = q0[j];
        grad[j][0] = grad[j][1] = grad[j][2] = zero;
    }
    const Index begin = mesh.cellFaceStart[c];
    for (Index i = begin; i < begin + facesPerCell; ++i) {
        Double2 q[Pairs];
        stateAcross(mesh, p.geometry, lsq, p.bc, p.motion, p.w, q0, i, q);
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
    Double2 delta[facesPerCell][Pairs], up[Pairs], down[Pairs], phi[Pairs];
    for (int j = 0; j < Pairs; ++j)
        up[j] = down[j] = zero;
    for (Index i = begin; i < begin + facesPerCell; ++i) {
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
        for (int l = 0; l < facesPerCell; ++l) {
            const Index e = mesh.cellFaces[begin + l];
            double *record = e >= 0 ? &faces->owner[FaceValues::record * static_cast<std::size_t>(e)]
                                    : &faces->neighbour[FaceValues::record * static_cast<std::size_t>(~e)];
            for (int j = 0; j < Pairs; ++j)
                storePair(record + 2 * j, q0[j] + phi[j] * delta[l][j]);
        }
    if (gradients) {
        double *g = &gradients->g[15 * static_cast<std::size_t>(c)];
        for (int a = 0; a < 3; ++a)
            for (int v = 0; v < PrimitiveCount; ++v)
                g[3 * v + a] = lane(phi[v / 2] * grad[v / 2][a], v % 2);
    }
}

void cellRange(const CellPass &p, Index begin, Index end)
{
    for (Index c = begin; c < end; ++c)
        limitCell(p, c);
}

#ifdef EULER_HAVE_DOUBLE4
// The same with AVX2's three-operand instructions.
__attribute__((target("avx2"), flatten)) void cellRangeAvx2(const CellPass &p, Index begin, Index end)
{
    for (Index c = begin; c < end; ++c)
        limitCell(p, c);
}
#endif

} // namespace

void limitedFaceValues(const Mesh &mesh, const Geometry &geometry, const LeastSquaresGradient &lsq,
                       const BoundaryConditions &bc, const FaceMotion &motion, const PairedPrimitives &w,
                       FaceValues *faces, Gradients *gradients)
{
    const CellPass pass{mesh, geometry, lsq, bc, motion, w, faces, gradients};
#pragma omp parallel
    {
        const IndexRange share = threadShare(mesh.cellCount());
#ifdef EULER_HAVE_DOUBLE4
        if (wideVectors())
            cellRangeAvx2(pass, share.begin, share.end);
        else
#endif
            cellRange(pass, share.begin, share.end);
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
