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

// A cell's unlimited gradients (pairs by axis), the range of its stencil
// and the offsets to its face centroids.
struct CellGradient
{
    Double2 q0[Pairs], lo[Pairs], hi[Pairs], grad[Pairs][3];
    const double *offset[facesPerCell];
    double scaled[facesPerCell][3];

    void start(const PairedPrimitives &w, Index c)
    {
        loadPairs(w, c, q0);
        for (int j = 0; j < Pairs; ++j) {
            lo[j] = hi[j] = q0[j];
            grad[j][0] = grad[j][1] = grad[j][2] = splat<Double2>(0.0);
        }
    }
    void extend(const Double2 *q)
    {
        for (int j = 0; j < Pairs; ++j) {
            lo[j] = minOf(lo[j], q[j]);
            hi[j] = maxOf(hi[j], q[j]);
        }
    }
};

// With the stored coefficients: grad q = sum_k k_k (q_k - q_c).
inline void storedGradient(const CellPass &p, Index c, CellGradient &g)
{
    const Index begin = p.mesh.cellFaceStart[c];
    for (Index i = begin; i < begin + facesPerCell; ++i) {
        Double2 q[Pairs];
        stateAcross(p.mesh, p.geometry, p.lsq, p.bc, p.motion, p.w, g.q0, i, q);
        const double *k = p.lsq.coefficient(i);
        const Double2 kx = splat<Double2>(k[0]), ky = splat<Double2>(k[1]), kz = splat<Double2>(k[2]);
        for (int j = 0; j < Pairs; ++j) {
            const Double2 dq = q[j] - g.q0[j];
            g.grad[j][0] += kx * dq;
            g.grad[j][1] += ky * dq;
            g.grad[j][2] += kz * dq;
        }
        g.extend(q);
        g.offset[i - begin] = p.lsq.faceOffset(i);
    }
}

// For a cell whose stencil stretches by the factor lambda (gradient.h):
// the offsets are the reference ones with z scaled, the mirrored centroid
// at a boundary face as in LeastSquaresGradient::updateMatrices, and
//     grad q = M^-1 sum_k w_k d_k (q_k - q_c),   M = sum_k w_k d_k d_k^T.
inline void stretchedGradient(const CellPass &p, Index c, CellGradient &g)
{
    const double lambda = p.lsq.stretchFactor();
    const Index begin = p.mesh.cellFaceStart[c];
    double xx = 0, xy = 0, xz = 0, yy = 0, yz = 0, zz = 0;
    Double2 b[Pairs][3];
    for (int j = 0; j < Pairs; ++j)
        b[j][0] = b[j][1] = b[j][2] = splat<Double2>(0.0);
    for (Index i = begin; i < begin + facesPerCell; ++i) {
        const double *ref = p.lsq.coefficient(i);
        double *r = g.scaled[i - begin];
        r[0] = ref[3];
        r[1] = ref[4];
        r[2] = lambda * ref[5];
        g.offset[i - begin] = r;
        double d[3];
        if (p.lsq.across(i) >= 0) {
            d[0] = ref[0];
            d[1] = ref[1];
            d[2] = lambda * ref[2];
        } else {
            const Index f = p.mesh.cellFaces[i];
            const double n[3] = {p.geometry.normalX[f], p.geometry.normalY[f], p.geometry.normalZ[f]};
            const double dn = 2.0 * (r[0] * n[0] + r[1] * n[1] + r[2] * n[2]);
            for (int a = 0; a < 3; ++a)
                d[a] = dn * n[a];
        }
        const double w = 1.0 / (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        const double wd[3] = {w * d[0], w * d[1], w * d[2]};
        xx += wd[0] * d[0];
        xy += wd[0] * d[1];
        xz += wd[0] * d[2];
        yy += wd[1] * d[1];
        yz += wd[1] * d[2];
        zz += wd[2] * d[2];
        Double2 q[Pairs];
        stateAcross(p.mesh, p.geometry, p.lsq, p.bc, p.motion, p.w, g.q0, i, q);
        const Double2 wx = splat<Double2>(wd[0]), wy = splat<Double2>(wd[1]), wz = splat<Double2>(wd[2]);
        for (int j = 0; j < Pairs; ++j) {
            const Double2 dq = q[j] - g.q0[j];
            b[j][0] += wx * dq;
            b[j][1] += wy * dq;
            b[j][2] += wz * dq;
        }
        g.extend(q);
    }
    const double cxx = yy * zz - yz * yz, cxy = xz * yz - xy * zz, cxz = xy * yz - xz * yy;
    const double inv = 1.0 / (xx * cxx + xy * cxy + xz * cxz);
    const double m[3][3] = {{cxx * inv, cxy * inv, cxz * inv},
                            {cxy * inv, (xx * zz - xz * xz) * inv, (xy * xz - xx * yz) * inv},
                            {cxz * inv, (xy * xz - xx * yz) * inv, (xx * yy - xy * xy) * inv}};
    for (int a = 0; a < 3; ++a) {
        const Double2 m0 = splat<Double2>(m[a][0]), m1 = splat<Double2>(m[a][1]), m2 = splat<Double2>(m[a][2]);
        for (int j = 0; j < Pairs; ++j)
            g.grad[j][a] = m0 * b[j][0] + m1 * b[j][1] + m2 * b[j][2];
    }
}

inline void limitCell(const CellPass &p, Index c)
{
    CellGradient g;
    g.start(p.w, c);
    if (p.lsq.stretched(c))
        stretchedGradient(p, c, g);
    else
        storedGradient(p, c, g);
    // The unlimited changes to the face centroids, their largest rise
    // and fall (limiter.h), and the limited face values.
    const Double2 zero = splat<Double2>(0.0);
    Double2 delta[facesPerCell][Pairs], up[Pairs], down[Pairs], phi[Pairs];
    for (int j = 0; j < Pairs; ++j)
        up[j] = down[j] = zero;
    for (int l = 0; l < facesPerCell; ++l) {
        const double *r = g.offset[l];
        const Double2 rx = splat<Double2>(r[0]), ry = splat<Double2>(r[1]), rz = splat<Double2>(r[2]);
        for (int j = 0; j < Pairs; ++j) {
            delta[l][j] = g.grad[j][0] * rx + g.grad[j][1] * ry + g.grad[j][2] * rz;
            up[j] = maxOf(up[j], delta[l][j]);
            down[j] = minOf(down[j], delta[l][j]);
        }
    }
    for (int j = 0; j < Pairs; ++j)
        phi[j] = barthJespersen(g.q0[j], g.lo[j], g.hi[j], up[j], down[j]);
    const Index begin = p.mesh.cellFaceStart[c];
    if (p.faces)
        for (int l = 0; l < facesPerCell; ++l) {
            const Index e = p.mesh.cellFaces[begin + l];
            double *record = e >= 0 ? &p.faces->owner[FaceValues::record * static_cast<std::size_t>(e)]
                                    : &p.faces->neighbour[FaceValues::record * static_cast<std::size_t>(~e)];
            for (int j = 0; j < Pairs; ++j)
                storePair(record + 2 * j, g.q0[j] + phi[j] * delta[l][j]);
        }
    if (p.gradients) {
        double *out = &p.gradients->g[15 * static_cast<std::size_t>(c)];
        for (int a = 0; a < 3; ++a)
            for (int v = 0; v < PrimitiveCount; ++v)
                out[3 * v + a] = lane(phi[v / 2] * g.grad[v / 2][a], v % 2);
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
