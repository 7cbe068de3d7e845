#include "fv/stageupdate.h"

#include "fv/parallel.h"

#include <limits>

namespace euler::fv {

namespace {

constexpr int record = FaceValues::record;
constexpr int volumeOut = ConservedCount; // the record's last value, -dt Omega_f

inline bool updateCell(const StageUpdate &u, Index c)
{
    // What leaves the cell through its faces, as pairs of the records.
    Double2 out[3] = {splat<Double2>(0.0), splat<Double2>(0.0), splat<Double2>(0.0)};
    for (Index i = u.mesh.cellFaceStart[c]; i < u.mesh.cellFaceStart[c + 1]; ++i) {
        const Index e = u.mesh.cellFaces[i];
        const double *rec = u.faceFluxes + record * static_cast<std::size_t>(e >= 0 ? e : ~e);
        for (int j = 0; j < 3; ++j)
            out[j] = e >= 0 ? out[j] - loadPair(rec + 2 * j) : out[j] + loadPair(rec + 2 * j);
    }
    double r[record];
    for (int j = 0; j < 3; ++j)
        storePair(r + 2 * j, out[j]);
    for (Index i = u.pieceStart[c]; i < u.pieceStart[c + 1]; ++i) {
        const Index e = u.pieceEntries[i];
        const Index p = e >= 0 ? e : ~e;
        const double s = e >= 0 ? -1.0 : 1.0;
        for (int v = 0; v < ConservedCount; ++v)
            r[v] += s * u.pieceFluxes[v][p];
    }
    if (u.first) {
        for (int v = 0; v < ConservedCount; ++v)
            u.qn[v][c] = u.q[v][c];
        u.volumeN[c] = u.volume[c];
    }
    double q[ConservedCount];
    for (int v = 0; v < ConservedCount; ++v)
        u.q[v][c] = q[v] = u.a * u.qn[v][c] + u.b * (u.q[v][c] + u.dt * r[v]);
    u.volume[c] = u.a * u.volumeN[c] + u.b * (u.volume[c] + r[volumeOut]);
    const bool ok = setPrimitive(u.eos, q, u.volume[c], u.w, c);
    u.paired.set(c, u.w[Rho][c], u.w[VelocityX][c], u.w[VelocityY][c], u.w[VelocityZ][c], u.w[Pressure][c]);
    return ok;
}

inline Index cellRange(const StageUpdate &u, Index begin, Index end)
{
    constexpr Index none = std::numeric_limits<Index>::max();
    Index bad = none;
    for (Index c = begin; c < end; ++c)
        if (!updateCell(u, c) && c < bad)
            bad = c;
    return bad == none ? -1 : bad;
}

Index narrowRange(const StageUpdate &u, Index begin, Index end) { return cellRange(u, begin, end); }

#ifdef EULER_HAVE_DOUBLE4
__attribute__((target("avx2"), flatten)) Index wideRange(const StageUpdate &u, Index begin, Index end)
{
    return cellRange(u, begin, end);
}
#else
Index wideRange(const StageUpdate &u, Index begin, Index end) { return cellRange(u, begin, end); }
#endif

} // namespace

Index updateCells(const StageUpdate &u, Index begin, Index end)
{
    return wideVectors() ? wideRange(u, begin, end) : narrowRange(u, begin, end);
}

} // namespace euler::fv
