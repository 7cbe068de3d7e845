#include "chamber/valveoutline.h"

#include <algorithm>
#include <cmath>

namespace euler::chamber {
namespace {

// Integral of sqrt(r^2 - t^2) from -r to u, |u| <= r.
double circleIntegral(double u, double r)
{
    return 0.5 * (u * std::sqrt(std::max(0.0, r * r - u * u)) + r * r * std::asin(u / r)) + 0.25 * M_PI * r * r;
}

// Area of {t <= x, 0 <= v <= z, t^2 + v^2 <= r^2}: the integral of
// min(z, sqrt(r^2 - t^2)) from -r to x. The circle lies above z for
// |t| < u = sqrt(r^2 - z^2), below it outside.
double cornerArea(double x, double z, double r)
{
    if (z <= 0 || x <= -r)
        return 0;
    const double h = std::min(z, r);
    const double u = std::sqrt(std::max(0.0, r * r - h * h));
    const double X = std::min(x, r);
    double area = circleIntegral(std::min(X, -u), r);
    if (X > -u)
        area += h * (std::min(X, u) + u);
    if (X > u)
        area += circleIntegral(X, r) - circleIntegral(u, r);
    return area;
}

} // namespace

double halfDiskOverlap(double x0, double x1, double z0, double z1, double r)
{
    const double area = cornerArea(x1, z1, r) - cornerArea(x0, z1, r) - cornerArea(x1, z0, r) + cornerArea(x0, z0, r);
    return std::max(0.0, area);
}

ValveOutline::ValveOutline(double boreRadius, double pocketAngle, double valveRadius)
    : radius(valveRadius), circumference(2 * M_PI * boreRadius)
{
    centreArc = std::fmod(boreRadius * pocketAngle, circumference);
    if (centreArc < 0)
        centreArc += circumference;
}

double ValveOutline::nearestImage(double a) const
{
    return centreArc + circumference * std::round((a - centreArc) / circumference);
}

double ValveOutline::overlap(double a0, double a1, double z0, double z1) const
{
    const double c = nearestImage(0.5 * (a0 + a1));
    return halfDiskOverlap(a0 - c, a1 - c, z0, z1, radius);
}

bool ValveOutline::meetsColumn(double a0, double a1) const
{
    const double c = nearestImage(0.5 * (a0 + a1));
    return a1 - c > -radius && a0 - c < radius;
}

double ValveOutline::centreDistance(const ValveOutline &other) const
{
    return std::fabs(other.centreArc - nearestImage(other.centreArc));
}

} // namespace euler::chamber
