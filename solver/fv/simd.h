#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>

// The AVX2 loops rely on GCC inlining the AVX2-target helpers into templates
// instantiated for them; clang refuses such calls, so its builds (the fuzz
// targets) take the two-pair path, which computes the same bits.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(EULER_PORTABLE_DOUBLE2)
#define EULER_HAVE_DOUBLE4 1
#include <immintrin.h>
#elif defined(__SSE2__) && !defined(EULER_PORTABLE_DOUBLE2)
#include <emmintrin.h>
#endif

namespace euler::fv {

// Two doubles handled together, in one SSE2 register where there is one:
// the flux loop computes two faces at once, the gradient pass two variables.
// Each lane is computed with the IEEE operation the scalar code uses, and
// the build forms no fused multiply-add, so a lane gives the same bits as
// the same code on doubles. Kernels are written once as templates over the
// number type with splat, select, minOf, maxOf and sqrtOf, which take
// doubles too; minOf and maxOf are std::min and std::max lane by lane.
#if defined(__GNUC__) && !defined(EULER_PORTABLE_DOUBLE2)

using Double2 = double __attribute__((vector_size(16)));

inline Double2 load2(double a, double b) { return Double2{a, b}; }
inline Double2 loadPair(const double *p)
{
    Double2 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void storePair(double *p, Double2 v) { std::memcpy(p, &v, sizeof v); }
inline double lane(Double2 v, int i) { return v[i]; }
using Mask2 = decltype(Double2{} < Double2{});

// A condition per lane (the comparison's all-ones or zero) chooses a or b.
template <class Mask>
inline Double2 select(Mask m, Double2 a, Double2 b) { return m ? a : b; }
template <class Mask>
inline Mask selectMask(Mask m, Mask a, Mask b) { return m ? a : b; }

#if defined(__SSE2__)
// _mm_min_pd(x, y) is x < y ? x : y, so std::min(a, b) = (b < a ? b : a) is
// _mm_min_pd(b, a); likewise for the maximum.
inline Double2 minOf(Double2 a, Double2 b) { return _mm_min_pd(b, a); }
inline Double2 maxOf(Double2 a, Double2 b) { return _mm_max_pd(b, a); }
inline Double2 sqrtOf(Double2 a) { return _mm_sqrt_pd(a); }
#else
inline Double2 minOf(Double2 a, Double2 b) { return b < a ? b : a; }
inline Double2 maxOf(Double2 a, Double2 b) { return a < b ? b : a; }
inline Double2 sqrtOf(Double2 a) { return Double2{std::sqrt(a[0]), std::sqrt(a[1])}; }
#endif

#else

// The same in plain C++ for compilers without vector types.
struct Double2
{
    double x[2];
    double operator[](int i) const { return x[i]; }
};
struct Mask2
{
    bool x[2];
};
inline Double2 load2(double a, double b) { return {{a, b}}; }
inline Double2 loadPair(const double *p) { return {{p[0], p[1]}}; }
inline void storePair(double *p, Double2 v) { p[0] = v.x[0], p[1] = v.x[1]; }
inline double lane(Double2 v, int i) { return v.x[i]; }

#define EULER_DOUBLE2_OP(op)                                                                                         \
    inline Double2 operator op(Double2 a, Double2 b) { return {{a.x[0] op b.x[0], a.x[1] op b.x[1]}}; }              \
    inline Double2 operator op(double a, Double2 b) { return {{a op b.x[0], a op b.x[1]}}; }                         \
    inline Double2 operator op(Double2 a, double b) { return {{a.x[0] op b, a.x[1] op b}}; }
EULER_DOUBLE2_OP(+)
EULER_DOUBLE2_OP(-)
EULER_DOUBLE2_OP(*)
EULER_DOUBLE2_OP(/)
#undef EULER_DOUBLE2_OP
inline Double2 operator-(Double2 a) { return {{-a.x[0], -a.x[1]}}; }
inline Double2 &operator+=(Double2 &a, Double2 b) { return a = a + b; }
inline Double2 &operator-=(Double2 &a, Double2 b) { return a = a - b; }

#define EULER_DOUBLE2_COMPARE(op)                                                                                    \
    inline Mask2 operator op(Double2 a, Double2 b) { return {{a.x[0] op b.x[0], a.x[1] op b.x[1]}}; }
EULER_DOUBLE2_COMPARE(<)
EULER_DOUBLE2_COMPARE(<=)
EULER_DOUBLE2_COMPARE(>)
EULER_DOUBLE2_COMPARE(>=)
#undef EULER_DOUBLE2_COMPARE

inline Double2 select(Mask2 m, Double2 a, Double2 b) { return {{m.x[0] ? a.x[0] : b.x[0], m.x[1] ? a.x[1] : b.x[1]}}; }
inline Mask2 selectMask(Mask2 m, Mask2 a, Mask2 b) { return {{m.x[0] ? a.x[0] : b.x[0], m.x[1] ? a.x[1] : b.x[1]}}; }
inline Double2 minOf(Double2 a, Double2 b) { return {{std::min(a.x[0], b.x[0]), std::min(a.x[1], b.x[1])}}; }
inline Double2 maxOf(Double2 a, Double2 b) { return {{std::max(a.x[0], b.x[0]), std::max(a.x[1], b.x[1])}}; }
inline Double2 sqrtOf(Double2 a) { return {{std::sqrt(a.x[0]), std::sqrt(a.x[1])}}; }

#endif

// (a0, b0) and (a1, b1).
inline Double2 interleaveLow(Double2 a, Double2 b) { return load2(lane(a, 0), lane(b, 0)); }
inline Double2 interleaveHigh(Double2 a, Double2 b) { return load2(lane(a, 1), lane(b, 1)); }

// Two records of six doubles, at p and p + 6, as six pairs: pair j holds
// field j of both. storeRecords is the inverse.
inline void loadRecords(const double *p, Double2 *fields)
{
    for (int j = 0; j < 3; ++j) {
        const Double2 a = loadPair(p + 2 * j), b = loadPair(p + 6 + 2 * j);
        fields[2 * j] = interleaveLow(a, b);
        fields[2 * j + 1] = interleaveHigh(a, b);
    }
}
inline void storeRecords(double *p, const Double2 *fields)
{
    for (int j = 0; j < 3; ++j) {
        storePair(p + 2 * j, interleaveLow(fields[2 * j], fields[2 * j + 1]));
        storePair(p + 6 + 2 * j, interleaveHigh(fields[2 * j], fields[2 * j + 1]));
    }
}

// The scalar forms.
inline double select(bool m, double a, double b) { return m ? a : b; }
inline bool selectMask(bool m, bool a, bool b) { return m ? a : b; }
inline double minOf(double a, double b) { return std::min(a, b); }
inline double maxOf(double a, double b) { return std::max(a, b); }
inline double sqrtOf(double a) { return std::sqrt(a); }

// A value in every lane.
template <class T>
inline T splat(double x);
template <>
inline double splat<double>(double x) { return x; }
template <>
inline Double2 splat<Double2>(double x) { return load2(x, x); }

// Four doubles as two pairs: what code written over Double4 runs on where
// there is no AVX. load4, store4, quad and lane take Double4 too.
struct Quad2
{
    Double2 lo, hi;
};
struct QuadMask2
{
    Mask2 lo, hi;
};
#define EULER_QUAD2_OP(op)                                                                                           \
    inline Quad2 operator op(Quad2 a, Quad2 b) { return {a.lo op b.lo, a.hi op b.hi}; }
EULER_QUAD2_OP(+)
EULER_QUAD2_OP(-)
EULER_QUAD2_OP(*)
EULER_QUAD2_OP(/)
#undef EULER_QUAD2_OP
inline Quad2 &operator+=(Quad2 &a, Quad2 b) { return a = a + b; }
inline QuadMask2 operator<(Quad2 a, Quad2 b) { return {a.lo < b.lo, a.hi < b.hi}; }
inline Quad2 select(QuadMask2 m, Quad2 a, Quad2 b) { return {select(m.lo, a.lo, b.lo), select(m.hi, a.hi, b.hi)}; }
inline Quad2 minOf(Quad2 a, Quad2 b) { return {minOf(a.lo, b.lo), minOf(a.hi, b.hi)}; }
inline Quad2 maxOf(Quad2 a, Quad2 b) { return {maxOf(a.lo, b.lo), maxOf(a.hi, b.hi)}; }
template <>
inline Quad2 splat<Quad2>(double x) { return {splat<Double2>(x), splat<Double2>(x)}; }
inline double lane(Quad2 v, int i) { return i < 2 ? lane(v.lo, i) : lane(v.hi, i - 2); }
inline void store4(double *p, Quad2 v)
{
    storePair(p, v.lo);
    storePair(p + 2, v.hi);
}
template <class T>
inline T load4(const double *p);
template <>
inline Quad2 load4<Quad2>(const double *p) { return {loadPair(p), loadPair(p + 2)}; }
template <class T>
inline T quad(double a, double b, double c, double d);
template <>
inline Quad2 quad<Quad2>(double a, double b, double c, double d) { return {load2(a, b), load2(c, d)}; }

#ifdef EULER_HAVE_DOUBLE4
// Four doubles in one AVX register, for the loops that run four at a time
// on processors with AVX2 (chosen when the program runs, see
// facefluxes.h). These functions carry the AVX2 target; the loop that
// uses them carries it too and inlines everything it calls (flatten).
// AVX2 brings no fused multiply-add, so the lanes compute what Double2 and
// double do.
using Double4 = double __attribute__((vector_size(32)));
#define EULER_AVX2_INLINE __attribute__((target("avx2"))) inline

EULER_AVX2_INLINE Double4 join(Double2 low, Double2 high) { return _mm256_set_m128d(high, low); }
EULER_AVX2_INLINE Double2 lowHalf(Double4 v) { return _mm256_castpd256_pd128(v); }
EULER_AVX2_INLINE Double2 highHalf(Double4 v) { return _mm256_extractf128_pd(v, 1); }
EULER_AVX2_INLINE Double4 loadQuad(const double *p) { return _mm256_loadu_pd(p); }
using Mask4 = decltype(Double4{} < Double4{});
EULER_AVX2_INLINE Double4 select(Mask4 m, Double4 a, Double4 b) { return m ? a : b; }
EULER_AVX2_INLINE Mask4 selectMask(Mask4 m, Mask4 a, Mask4 b) { return m ? a : b; }
EULER_AVX2_INLINE Double4 minOf(Double4 a, Double4 b) { return _mm256_min_pd(b, a); }
EULER_AVX2_INLINE Double4 maxOf(Double4 a, Double4 b) { return _mm256_max_pd(b, a); }
EULER_AVX2_INLINE Double4 sqrtOf(Double4 a) { return _mm256_sqrt_pd(a); }
template <>
EULER_AVX2_INLINE Double4 splat<Double4>(double x) { return _mm256_set1_pd(x); }
template <>
EULER_AVX2_INLINE Double4 load4<Double4>(const double *p) { return _mm256_loadu_pd(p); }
EULER_AVX2_INLINE void store4(double *p, Double4 v) { _mm256_storeu_pd(p, v); }
template <>
EULER_AVX2_INLINE Double4 quad<Double4>(double a, double b, double c, double d) { return _mm256_set_pd(d, c, b, a); }
EULER_AVX2_INLINE double lane(Double4 v, int i) { return v[i]; }
#endif

} // namespace euler::fv
