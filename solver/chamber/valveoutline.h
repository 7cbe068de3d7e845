#pragma once

namespace euler::chamber {

// Area of the rectangle [x0, x1] x [z0, z1] (x0 <= x1, 0 <= z0 <= z1) that
// lies inside the half disk x^2 + z^2 <= r^2, z >= 0. Exact up to rounding:
// the difference of four corner areas, each an integral of
// min(z, sqrt(r^2 - x^2)) in closed form.
double halfDiskOverlap(double x0, double x1, double z0, double z1, double r);

// Where a valve meets the chamber until the pockets are meshed: the outline
// the side maps draw, the half disk z >= 0 of radius r round the point of the
// head edge at the valve's pocket angle, wrapped on the bore. It lives in
// the unrolled wall's coordinates: arc length a = R theta (0 to 2 pi R) and
// z from the head.
struct ValveOutline
{
    double centreArc = 0;     // R alpha, m
    double radius = 0;        // d_V / 2, m
    double circumference = 0; // 2 pi R, m

    ValveOutline(double boreRadius, double pocketAngle, double valveRadius);

    // Overlap with the wall rectangle [a0, a1] x [z0, z1] (a1 - a0 below half
    // the circumference), the outline taken at its image nearest to it.
    double overlap(double a0, double a1, double z0, double z1) const;
    // Whether [a0, a1] meets the outline's arc range at any height.
    bool meetsColumn(double a0, double a1) const;
    // The arc distance between the centres of two outlines, at most half the
    // circumference; the outlines overlap when it is below the sum of radii.
    double centreDistance(const ValveOutline &other) const;
    // The centre's arc position, shifted by whole circumferences to lie
    // nearest to a.
    double nearestImage(double a) const;
};

} // namespace euler::chamber
