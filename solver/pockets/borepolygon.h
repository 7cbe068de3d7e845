#pragma once

namespace euler::pockets {

// Polygons on the bore, in its unrolled coordinates: arc length a = R theta
// (theta measured from a reference angle, counter-clockwise seen from +z) and
// z along the cylinder axis. Counter-clockwise in (a, z) means the
// right-hand normal points out of the bore (away from the axis).
struct ArcPoint
{
    double a = 0, z = 0;
};

// A convex polygon: a convex quadrilateral clipped by four axis-parallel
// lines has at most eight vertices (each cut of a convex polygon adds at most
// one).
struct ArcPolygon
{
    static constexpr int capacity = 8;
    int size = 0;
    ArcPoint p[capacity];

    void add(const ArcPoint &q)
    {
        if (size < capacity)
            p[size++] = q;
    }
    double minZ() const;
    double maxZ() const;
    double minA() const;
    double maxA() const;
};

// Whether every turn of the polygon is counter-clockwise (no vertex on a
// straight line with its neighbours counts as a turn either way).
bool isConvexCounterClockwise(const ArcPolygon &poly);

// Sutherland-Hodgman clipping of a convex polygon against one axis-parallel
// half plane: the part with a >= value (keepAbove) or a <= value, likewise in
// z. The intersection with the line is computed from the edge in its own
// direction, so the two parts of a cut share their new vertices bit for bit.
ArcPolygon clipA(const ArcPolygon &poly, double value, bool keepAbove);
ArcPolygon clipZ(const ArcPolygon &poly, double value, bool keepAbove);
// The part within z0 <= z <= z1.
ArcPolygon clipZBand(const ArcPolygon &poly, double z0, double z1);

// Area in (a, z), positive when counter-clockwise: the shoelace formula about
// the first vertex.
double area(const ArcPolygon &poly);
// Centroid in (a, z); the mean vertex for a polygon of no area.
ArcPoint centroid(const ArcPolygon &poly);

// The area vector of the polygon wrapped onto the cylinder of radius R: the
// integral of the outward normal (cos theta, sin theta, 0) over it, in the
// frame where theta = a / R. By Green's theorem
//     A_x = integral cos(a/R) da dz =  closed integral R sin(a/R) dz
//     A_y = integral sin(a/R) da dz = -closed integral R cos(a/R) dz
// and along a straight edge from (a1, z1) to (a2, z2)
//     integral R sin(a/R) dz = R (z2 - z1) sin(u) sinc(d),
//     u = (a1 + a2) / 2R, d = (a2 - a1) / 2R
// (cos likewise), which has no cancellation for short or steep edges; the
// sums are taken about the polygon's middle angle, so that a sliver's vector
// is as accurate as a wide polygon's. Horizontal edges add nothing. For a rectangle [a0, a1] x [z0, z1] it is the
// area vector of the flat face through its corners on the cylinder.
struct PlaneVector
{
    double x = 0, y = 0;
};
PlaneVector cylinderAreaVector(const ArcPolygon &poly, double radius);

} // namespace euler::pockets
