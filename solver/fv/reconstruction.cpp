// The four-wide kernel is inlined into the loop that carries the AVX2
// target (flatten) and never exists on its own; GCC still warns that such a
// function, compiled without AVX, would pass its vectors differently.
#pragma GCC diagnostic ignored "-Wpsabi"

#include "fv/reconstruction.h"

#include "fv/limiter.h"
#include "fv/parallel.h"

namespace euler::fv {

namespace {

constexpr int facesPerCell = Mesh::facesPerCell;

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

// A cell's state as the pass computes with it: rho, u, v, w four at a time
// (T4: Double4 with AVX2, else Quad2), p alone; kept apart rather than in
// one structure, whose copies the compiler would make through memory.
template <class T4>
inline void stateOf(const PairedPrimitives &w, Index c, T4 &q, double &p)
{
    const double *r = w.at(c);
    q = load4<T4>(r);
    p = r[4];
}

// The state across gather entry i: the neighbour's, or the mirror value of
// the boundary face (ghostState).
template <class T4>
inline void stateAcross(const CellPass &p, T4 ownQ, double ownP, Index i, T4 &q, double &pressure)
{
    const Index o = p.lsq.across(i);
    if (o >= 0) {
        stateOf(p.w, o, q, pressure);
        return;
    }
    const Index f = p.mesh.cellFaces[i]; // a boundary face is always owned
    const FaceFrame frame{p.geometry.normalX[f], p.geometry.normalY[f], p.geometry.normalZ[f], p.motion.normalSpeed[f]};
    const PointState s = ghostState(p.bc.kind[f - p.mesh.internalFaceCount()],
                                    {lane(ownQ, 0), lane(ownQ, 1), lane(ownQ, 2), lane(ownQ, 3), ownP}, frame);
    q = quad<T4>(s.rho, s.u, s.v, s.w);
    pressure = s.p;
}

// A cell's unlimited gradients (by axis), the range of its stencil and the
// offsets to its face centroids.
template <class T4>
struct CellGradient
{
    T4 q, qMin, qMax, qGrad[3];
    double p, pMin, pMax, pGrad[3];
    const double *offset[facesPerCell];
    double scaled[facesPerCell][3];

    void start(const PairedPrimitives &w, Index c)
    {
        stateOf(w, c, q, p);
        qMin = qMax = q;
        pMin = pMax = p;
        for (int a = 0; a < 3; ++a) {
            qGrad[a] = splat<T4>(0.0);
            pGrad[a] = 0.0;
        }
    }
    // The state across entry i less the cell's, the range widened by it.
    void difference(const CellPass &pass, Index i, T4 &dq, double &dp)
    {
        T4 across;
        double acrossP;
        stateAcross(pass, q, p, i, across, acrossP);
        qMin = minOf(qMin, across);
        qMax = maxOf(qMax, across);
        pMin = std::min(pMin, acrossP);
        pMax = std::max(pMax, acrossP);
        dq = across - q;
        dp = acrossP - p;
    }
};

// With the stored coefficients: grad q = sum_k k_k (q_k - q_c).
template <class T4>
inline void storedGradient(const CellPass &p, Index c, CellGradient<T4> &g)
{
    const Index begin = p.mesh.cellFaceStart[c];
    for (Index i = begin; i < begin + facesPerCell; ++i) {
        T4 dq;
        double dp;
        g.difference(p, i, dq, dp);
        const double *k = p.lsq.coefficient(i);
        for (int a = 0; a < 3; ++a) {
            g.qGrad[a] += splat<T4>(k[a]) * dq;
            g.pGrad[a] += k[a] * dp;
        }
        g.offset[i - begin] = p.lsq.faceOffset(i);
    }
}

// For a cell whose stencil stretches by the factor lambda (gradient.h):
// the offsets are the reference ones with z scaled, the mirrored centroid
// at a boundary face as in LeastSquaresGradient::updateMatrices, and
//     grad q = M^-1 sum_k w_k d_k (q_k - q_c),   M = sum_k w_k d_k d_k^T.
template <class T4>
inline void stretchedGradient(const CellPass &p, Index c, CellGradient<T4> &g)
{
    const double lambda = p.lsq.stretchFactor();
    const Index begin = p.mesh.cellFaceStart[c];
    LeastSquaresMatrix matrix;
    T4 qb[3];
    double pb[3];
    for (int a = 0; a < 3; ++a) {
        qb[a] = splat<T4>(0.0);
        pb[a] = 0.0;
    }
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
            mirroredOffset(r, n, d);
        }
        double wd[3];
        matrix.add(d, wd);
        T4 dq;
        double dp;
        g.difference(p, i, dq, dp);
        for (int a = 0; a < 3; ++a) {
            qb[a] += splat<T4>(wd[a]) * dq;
            pb[a] += wd[a] * dp;
        }
    }
    double m[3][3];
    matrix.inverse(m);
    for (int a = 0; a < 3; ++a) {
        g.qGrad[a] = splat<T4>(m[a][0]) * qb[0] + splat<T4>(m[a][1]) * qb[1] + splat<T4>(m[a][2]) * qb[2];
        g.pGrad[a] = m[a][0] * pb[0] + m[a][1] * pb[1] + m[a][2] * pb[2];
    }
}

template <class T4>
inline void limitCell(const CellPass &p, Index c)
{
    CellGradient<T4> g;
    g.start(p.w, c);
    if (p.lsq.stretched(c))
        stretchedGradient(p, c, g);
    else
        storedGradient(p, c, g);
    // The unlimited changes to the face centroids, their largest rise and
    // fall (limiter.h), and the limited face values.
    T4 qDelta[facesPerCell], qUp = splat<T4>(0.0), qDown = splat<T4>(0.0);
    double pDelta[facesPerCell], pUp = 0.0, pDown = 0.0;
    for (int l = 0; l < facesPerCell; ++l) {
        const double *r = g.offset[l];
        qDelta[l] = splat<T4>(r[0]) * g.qGrad[0] + splat<T4>(r[1]) * g.qGrad[1] + splat<T4>(r[2]) * g.qGrad[2];
        pDelta[l] = r[0] * g.pGrad[0] + r[1] * g.pGrad[1] + r[2] * g.pGrad[2];
        qUp = maxOf(qUp, qDelta[l]);
        qDown = minOf(qDown, qDelta[l]);
        pUp = std::max(pUp, pDelta[l]);
        pDown = std::min(pDown, pDelta[l]);
    }
    const T4 qPhi = barthJespersen(g.q, g.qMin, g.qMax, qUp, qDown);
    const double pPhi = barthJespersen(g.p, g.pMin, g.pMax, pUp, pDown);
    const Index begin = p.mesh.cellFaceStart[c];
    if (p.faces)
        for (int l = 0; l < facesPerCell; ++l) {
            const Index e = p.mesh.cellFaces[begin + l];
            double *record = e >= 0 ? &p.faces->owner[FaceValues::record * static_cast<std::size_t>(e)]
                                    : &p.faces->neighbour[FaceValues::record * static_cast<std::size_t>(~e)];
            store4(record, g.q + qPhi * qDelta[l]);
            record[4] = record[5] = g.p + pPhi * pDelta[l];
        }
    if (p.gradients) {
        double *out = &p.gradients->g[15 * static_cast<std::size_t>(c)];
        for (int a = 0; a < 3; ++a) {
            for (int v = 0; v < 4; ++v)
                out[3 * v + a] = lane(qPhi * g.qGrad[a], v);
            out[3 * Pressure + a] = pPhi * g.pGrad[a];
        }
    }
}

void cellRange(const CellPass &p, Index begin, Index end)
{
    for (Index c = begin; c < end; ++c)
        limitCell<Quad2>(p, c);
}

#ifdef EULER_HAVE_DOUBLE4
// The same four variables at a time with AVX2.
__attribute__((target("avx2"), flatten)) void cellRangeAvx2(const CellPass &p, Index begin, Index end)
{
    for (Index c = begin; c < end; ++c)
        limitCell<Double4>(p, c);
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
