// The four-wide loop inlines everything it calls (flatten), the HLLC kernel
// for Double4 too, so that kernel never exists on its own; GCC still warns
// that such a function, compiled without AVX, would pass its vectors
// differently.
#pragma GCC diagnostic ignored "-Wpsabi"

#include "fv/facefluxes.h"

#include "fv/hllc.h"
#include "fv/parallel.h"

namespace euler::fv {

namespace {

constexpr int record = 6;
constexpr int volumeOut = ConservedCount;

// Face f alone.
void oneFace(const InternalFaceInputs &in, std::size_t f)
{
    double out[record];
    hllcKernel(in.owner + record * f, in.neighbour + record * f, in.normalX[f], in.normalY[f], in.normalZ[f],
               in.speed[f], in.gamma, out);
    double *r = in.records + record * f;
    for (int v = 0; v < ConservedCount; ++v)
        r[v] = out[v] * in.area[f];
    r[volumeOut] = -in.meshFlux[f];
}

void pairLoop(const InternalFaceInputs &in, std::size_t f, std::size_t end)
{
    for (; f + 2 <= end; f += 2) {
        Double2 L[record], R[record], out[record];
        loadRecords(in.owner + record * f, L);
        loadRecords(in.neighbour + record * f, R);
        hllcKernel(L, R, loadPair(in.normalX + f), loadPair(in.normalY + f), loadPair(in.normalZ + f),
                   loadPair(in.speed + f), in.gamma, out);
        const Double2 area = loadPair(in.area + f);
        for (int v = 0; v < ConservedCount; ++v)
            out[v] = out[v] * area;
        out[volumeOut] = -loadPair(in.meshFlux + f);
        storeRecords(in.records + record * f, out);
    }
    for (; f < end; ++f)
        oneFace(in, f);
}

#ifdef EULER_HAVE_DOUBLE4
// Faces f .. f+3 as quads of their record fields, from two record pairs.
__attribute__((target("avx2"), always_inline)) inline void loadQuads(const double *p, Double4 *fields)
{
    Double2 a[record], b[record];
    loadRecords(p, a);
    loadRecords(p + 2 * record, b);
    for (int v = 0; v < record; ++v)
        fields[v] = join(a[v], b[v]);
}

__attribute__((target("avx2"), flatten)) void quadLoop(const InternalFaceInputs &in, std::size_t f,
                                                        std::size_t end)
{
    for (; f + 4 <= end; f += 4) {
        Double4 L[record], R[record], out[record];
        loadQuads(in.owner + record * f, L);
        loadQuads(in.neighbour + record * f, R);
        hllcKernel(L, R, loadQuad(in.normalX + f), loadQuad(in.normalY + f), loadQuad(in.normalZ + f),
                   loadQuad(in.speed + f), in.gamma, out);
        const Double4 area = loadQuad(in.area + f);
        for (int v = 0; v < ConservedCount; ++v)
            out[v] = out[v] * area;
        out[volumeOut] = -loadQuad(in.meshFlux + f);
        Double2 a[record], b[record];
        for (int v = 0; v < record; ++v) {
            a[v] = lowHalf(out[v]);
            b[v] = highHalf(out[v]);
        }
        storeRecords(in.records + record * f, a);
        storeRecords(in.records + record * (f + 2), b);
    }
    for (; f < end; ++f)
        oneFace(in, f);
}

#endif

} // namespace

void internalFaceFluxes(const InternalFaceInputs &in, Index begin, Index end)
{
#ifdef EULER_HAVE_DOUBLE4
    if (wideVectors()) {
        quadLoop(in, static_cast<std::size_t>(begin), static_cast<std::size_t>(end));
        return;
    }
#endif
    pairLoop(in, static_cast<std::size_t>(begin), static_cast<std::size_t>(end));
}

} // namespace euler::fv
