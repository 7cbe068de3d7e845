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
// (T4: Double4 with AVX2, else Quad2), p alone.
template <class T4>
struct CellState
{
    T4 q;
    double p;
};

template <class T4>
inline CellState<T4> stateOf(const PairedPrimitives &w, Index c)
{
    const double *r = w.at(c);
    return {load4<T4>(r), r[4]};
}

// The state across gather entry i: the neighbour's, or the mirror value of
// the boundary face (ghostState).
template <class T4>
inline CellState<T4> stateAcross(const CellPass &p, const CellState<T4> &own, Index i)
{
    const Index o = p.lsq.across(i);
    if (o >= 0)
        return stateOf<T4>(p.w, o);
    const Index f = p.mesh.cellFaces[i]; // a boundary face is always owned
    const FaceFrame frame{p.geometry.normalX[f], p.geometry.normalY[f], p.geometry.normalZ[f], p.motion.normalSpeed[f]};
    const PointState s = ghostState(p.bc.kind[f - p.mesh.internalFaceCount()],
                                    {lane(own.q, 0), lane(own.q, 1), lane(own.q, 2), lane(own.q, 3), own.p}, frame);
    return {quad<T4>(s.rho, s.u, s.v, s.w), s.p};
}

// A cell's unlimited gradients (by axis), the range of its stencil and the
// offsets to its face centroids.
template <class T4>
struct CellGradient
{
    CellState<T4> own, lo, hi, grad[3];
    const double *offset[facesPerCell];
    double scaled[facesPerCell][3];

    void start(const PairedPrimitives &w, Index c)
    {
        own = lo = hi = stateOf<T4>(w, c);
        for (CellState<T4> &g : grad)
            g = {splat<T4>(0.0), 0.0};
    }
    // q_k - q_c, the range widened by q_k.
    CellState<T4> difference(const CellState<T4> &s)
    {
        lo = {minOf(lo.q, s.q), std::min(lo.p, s.p)};
        hi = {maxOf(hi.q, s.q), std::max(hi.p, s.p)};
        return {s.q - own.q, s.p - own.p};
    }
    static void add(CellState<T4> &sum, double k, const CellState<T4> &d)
    {
        sum.q += splat<T4>(k) * d.q;
        sum.p += k * d.p;
    }
};

// With the stored coefficients: grad q = sum_k k_k (q_k - q_c).
template <class T4>
inline void storedGradient(const CellPass &p, Index c, CellGradient<T4> &g)
{
    const Index begin = p.mesh.cellFaceStart[c];
    for (Index i = begin; i < begin + facesPerCell; ++i) {
        const CellState<T4> dq = g.difference(stateAcross(p, g.own, i));
        const double *k = p.lsq.coefficient(i);
        for (int a = 0; a < 3; ++a)
            g.add(g.grad[a], k[a], dq);
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
    CellState<T4> b[3];
    for (CellState<T4> &s : b)
        s = {splat<T4>(0.0), 0.0};
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
        const CellState<T4> dq = g.difference(stateAcross(p, g.own, i));
        for (int a = 0; a < 3; ++a)
            g.add(b[a], wd[a], dq);
    }
    double m[3][3];
    matrix.inverse(m);
    for (int a = 0; a < 3; ++a) {
        CellState<T4> &out = g.grad[a];
        out = {splat<T4>(m[a][0]) * b[0].q, m[a][0] * b[0].p};
        g.add(out, m[a][1], b[1]);
        g.add(out, m[a][2], b[2]);
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
    CellState<T4> delta[facesPerCell], up{splat<T4>(0.0), 0.0}, down{splat<T4>(0.0), 0.0};
    for (int l = 0; l < facesPerCell; ++l) {
        const double *r = g.offset[l];
        CellState<T4> &d = delta[l];
        d = {splat<T4>(r[0]) * g.grad[0].q, r[0] * g.grad[0].p};
        d = {d.q + splat<T4>(r[1]) * g.grad[1].q, d.p + r[1] * g.grad[1].p};
        d = {d.q + splat<T4>(r[2]) * g.grad[2].q, d.p + r[2] * g.grad[2].p};
        up = {maxOf(up.q, d.q), std::max(up.p, d.p)};
        down = {minOf(down.q, d.q), std::min(down.p, d.p)};
    }
    const CellState<T4> phi{barthJespersen(g.own.q, g.lo.q, g.hi.q, up.q, down.q),
                            barthJespersen(g.own.p, g.lo.p, g.hi.p, up.p, down.p)};
    const Index begin = p.mesh.cellFaceStart[c];
    if (p.faces)
        for (int l = 0; l < facesPerCell; ++l) {
            const Index e = p.mesh.cellFaces[begin + l];
            double *record = e >= 0 ? &p.faces->owner[FaceValues::record * static_cast<std::size_t>(e)]
                                    : &p.faces->neighbour[FaceValues::record * static_cast<std::size_t>(~e)];
            store4(record, g.own.q + phi.q * delta[l].q);
            record[4] = record[5] = g.own.p + phi.p * delta[l].p;
        }
    if (p.gradients) {
        double *out = &p.gradients->g[15 * static_cast<std::size_t>(c)];
        for (int a = 0; a < 3; ++a) {
            for (int v = 0; v < 4; ++v)
                out[3 * v + a] = lane(phi.q * g.grad[a].q, v);
            out[3 * Pressure + a] = phi.p * g.grad[a].p;
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
