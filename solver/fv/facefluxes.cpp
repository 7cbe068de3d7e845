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

// Consecutive faces as vectors of their record fields, and back.
inline void loadFields(const double *p, Double2 *fields) { loadRecords(p, fields); }
inline void storeFields(double *p, const Double2 *fields) { storeRecords(p, fields); }
inline Double2 loadLanes(const double *p, Double2) { return loadPair(p); }
#ifdef EULER_HAVE_DOUBLE4
EULER_AVX2_INLINE void loadFields(const double *p, Double4 *fields)
{
    Double2 a[record], b[record];
    loadFields(p, a);
    loadFields(p + 2 * record, b);
    for (int v = 0; v < record; ++v)
        fields[v] = join(a[v], b[v]);
}
EULER_AVX2_INLINE void storeFields(double *p, const Double4 *fields)
{
    Double2 a[record], b[record];
    for (int v = 0; v < record; ++v) {
        a[v] = lowHalf(fields[v]);
        b[v] = highHalf(fields[v]);
    }
    storeFields(p, a);
    storeFields(p + 2 * record, b);
}
EULER_AVX2_INLINE Double4 loadLanes(const double *p, Double4) { return loadQuad(p); }
#endif

// Faces [f, end) as many lanes (T: Double2, Double4) at a time as fit, the
// rest one by one.
template <class T>
inline void faceLoop(const InternalFaceInputs &in, std::size_t f, std::size_t end)
{
    constexpr std::size_t lanes = sizeof(T) / sizeof(double);
    for (; f + lanes <= end; f += lanes) {
        T L[record], R[record], out[record];
        loadFields(in.owner + record * f, L);
        loadFields(in.neighbour + record * f, R);
        hllcKernel(L, R, loadLanes(in.normalX + f, T{}), loadLanes(in.normalY + f, T{}),
                   loadLanes(in.normalZ + f, T{}), loadLanes(in.speed + f, T{}), in.gamma, out);
        const T area = loadLanes(in.area + f, T{});
        for (int v = 0; v < ConservedCount; ++v)
            out[v] = out[v] * area;
        out[volumeOut] = -loadLanes(in.meshFlux + f, T{});
        storeFields(in.records + record * f, out);
    }
    for (; f < end; ++f)
        oneFace(in, f);
}

void pairLoop(const InternalFaceInputs &in, std::size_t f, std::size_t end) { faceLoop<Double2>(in, f, end); }

#ifdef EULER_HAVE_DOUBLE4
__attribute__((target("avx2"), flatten)) void quadLoop(const InternalFaceInputs &in, std::size_t f,
                                                        std::size_t end)
{
    faceLoop<Double4>(in, f, end);
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
