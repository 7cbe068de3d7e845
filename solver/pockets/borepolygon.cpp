#include "pockets/borepolygon.h"

#include <algorithm>
#include <functional>
#include <cmath>

namespace euler::pockets {

namespace {

double cross(const ArcPoint &o, const ArcPoint &p, const ArcPoint &q)
{
    return (p.a - o.a) * (q.z - o.z) - (p.z - o.z) * (q.a - o.a);
}

// sinc(d) = sin(d) / d and sinc(d) - 1, by their series where the quotient
// would lose digits.
struct Sinc
{
    double value, lessOne;
};

Sinc sinc(double d)
{
    const double d2 = d * d;
    if (std::fabs(d) < 1e-2) {
        const double lessOne = -d2 / 6 * (1 - d2 / 20 * (1 - d2 / 42));
        return {1 + lessOne, lessOne};
    }
    const double value = std::sin(d) / d;
    return {value, value - 1};
}

// A vertex on the line belongs to both sides; an edge is cut only where it
// crosses the line strictly, so no vertex is doubled.
template <bool ClipZ>
ArcPolygon clipHalfPlane(const ArcPolygon &poly, double value, bool keepAbove)
{
    const auto coord = [](const ArcPoint &q) { return ClipZ ? q.z : q.a; };
    const auto side = [&](const ArcPoint &q) {
        const double d = coord(q) - value;
        return keepAbove ? d : -d;
    };
    // The cut point of edge p -> q with the line, exactly on it.
    const auto cut = [&](const ArcPoint &p, const ArcPoint &q) {
        const double t = (value - coord(p)) / (coord(q) - coord(p));
        return ClipZ ? ArcPoint{p.a + t * (q.a - p.a), value} : ArcPoint{value, p.z + t * (q.z - p.z)};
    };
    ArcPolygon out;
    for (int i = 0; i < poly.size; ++i) {
        const ArcPoint &p = poly.p[(i + poly.size - 1) % poly.size], &q = poly.p[i];
        const double sp = side(p), sq = side(q);
        if ((sp < 0 && sq > 0) || (sp > 0 && sq < 0))
            out.add(cut(p, q));
        if (sq >= 0)
            out.add(q);
    }
    return out;
}

} // namespace

namespace {

// The smallest (or, with std::greater, largest) coordinate `member` of the corners.
template <typename Better>
double extreme(const ArcPolygon &poly, double ArcPoint::*member, Better better)
{
    double v = poly.p[0].*member;
    for (int i = 1; i < poly.size; ++i)
        if (better(poly.p[i].*member, v))
            v = poly.p[i].*member;
    return v;
}

} // namespace

double ArcPolygon::minZ() const { return extreme(*this, &ArcPoint::z, std::less<double>()); }
double ArcPolygon::maxZ() const { return extreme(*this, &ArcPoint::z, std::greater<double>()); }
double ArcPolygon::minA() const { return extreme(*this, &ArcPoint::a, std::less<double>()); }
double ArcPolygon::maxA() const { return extreme(*this, &ArcPoint::a, std::greater<double>()); }

bool isConvexCounterClockwise(const ArcPolygon &poly)
{
    if (poly.size < 3)
        return false;
    for (int i = 0; i < poly.size; ++i)
        if (!(cross(poly.p[i], poly.p[(i + 1) % poly.size], poly.p[(i + 2) % poly.size]) > 0))
            return false;
    return true;
}

ArcPolygon clipA(const ArcPolygon &poly, double value, bool keepAbove)
{
    return clipHalfPlane<false>(poly, value, keepAbove);
}

ArcPolygon clipZ(const ArcPolygon &poly, double value, bool keepAbove)
{
    return clipHalfPlane<true>(poly, value, keepAbove);
}

ArcPolygon clipZBand(const ArcPolygon &poly, double z0, double z1)
{
    return clipZ(clipZ(poly, z0, true), z1, false);
}

double area(const ArcPolygon &poly)
{
    double twice = 0;
    for (int i = 1; i + 1 < poly.size; ++i)
        twice += cross(poly.p[0], poly.p[i], poly.p[i + 1]);
    return 0.5 * twice;
}

ArcPoint centroid(const ArcPolygon &poly)
{
    double twice = 0, a = 0, z = 0;
    const ArcPoint &o = poly.p[0];
    for (int i = 1; i + 1 < poly.size; ++i) {
        const ArcPoint &p = poly.p[i], &q = poly.p[i + 1];
        const double t = cross(o, p, q);
        twice += t;
        a += t * (p.a + q.a - 2 * o.a);
        z += t * (p.z + q.z - 2 * o.z);
    }
    if (!(twice != 0)) {
        ArcPoint mean;
        for (int i = 0; i < poly.size; ++i) {
            mean.a += poly.p[i].a / poly.size;
            mean.z += poly.p[i].z / poly.size;
        }
        return mean;
    }
    return {o.a + a / (3 * twice), o.z + z / (3 * twice)};
}

// The sums are taken in the frame turned to the polygon's middle angle u0,
// less what a closed loop integrates to zero:
//     A'_x =  closed integral R sin(u - u0) dz
//     A'_y = -closed integral R (cos(u - u0) - 1) dz,
// each edge's term free of differences of nearly equal numbers, so that a
// sliver's vector is as accurate as a wide polygon's; then turned back by u0.
PlaneVector cylinderAreaVector(const ArcPolygon &poly, double radius)
{
    if (poly.size < 3)
        return {};
    const double half = 0.5 / radius;
    const double u0 = (poly.minA() + poly.maxA()) * half;
    double x = 0, y = 0;
    for (int i = 0; i < poly.size; ++i) {
        const ArcPoint &p = poly.p[i], &q = poly.p[(i + 1) % poly.size];
        const double dz = q.z - p.z;
        if (dz == 0)
            continue;
        const double u = (p.a + q.a) * half - u0;
        const Sinc s = sinc((q.a - p.a) * half);
        const double sinHalf = std::sin(0.5 * u);
        x += radius * dz * std::sin(u) * s.value;
        y -= radius * dz * (s.lessOne - 2 * sinHalf * sinHalf * s.value);
    }
    const double c = std::cos(u0), sn = std::sin(u0);
    return {c * x - sn * y, sn * x + c * y};
}

} // namespace euler::pockets
