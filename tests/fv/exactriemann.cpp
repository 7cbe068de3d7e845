#include "exactriemann.h"

#include <cmath>

ExactRiemann::ExactRiemann(const RiemannSide &left, const RiemannSide &right, double gamma)
    : L_(left), R_(right), g_(gamma), aL_(std::sqrt(gamma * left.p / left.rho)),
      aR_(std::sqrt(gamma * right.p / right.rho))
{
    // Two-rarefaction guess, eq. (4.46), then Newton, eq. (4.44).
    const double z = (g_ - 1) / (2 * g_);
    double p = std::pow((aL_ + aR_ - 0.5 * (g_ - 1) * (R_.u - L_.u)) / (aL_ / std::pow(L_.p, z) + aR_ / std::pow(R_.p, z)), 1 / z);
    for (int i = 0; i < 100; ++i) {
        double dL, dR;
        const double F = f(L_, aL_, p, dL) + f(R_, aR_, p, dR) + R_.u - L_.u;
        const double next = std::fmax(1e-12, p - F / (dL + dR));
        const bool converged = std::fabs(next - p) < 1e-15 * (next + p);
        p = next;
        if (converged)
            break;
    }
    pStar_ = p;
    double d;
    uStar_ = 0.5 * (L_.u + R_.u) + 0.5 * (f(R_, aR_, p, d) - f(L_, aL_, p, d));
}

// f_K(p) and its derivative, eqs. (4.6) and (4.37).
double ExactRiemann::f(const RiemannSide &k, double a, double p, double &derivative) const
{
    if (p > k.p) {
        const double A = 2 / ((g_ + 1) * k.rho), B = (g_ - 1) / (g_ + 1) * k.p;
        const double q = std::sqrt(A / (p + B));
        derivative = q * (1 - 0.5 * (p - k.p) / (p + B));
        return (p - k.p) * q;
    }
    const double r = p / k.p;
    derivative = std::pow(r, -(g_ + 1) / (2 * g_)) / (k.rho * a);
    return 2 * a / (g_ - 1) * (std::pow(r, (g_ - 1) / (2 * g_)) - 1);
}

double ExactRiemann::starDensity(const RiemannSide &k) const
{
    const double r = pStar_ / k.p, m = (g_ - 1) / (g_ + 1);
    if (pStar_ > k.p)
        return k.rho * (r + m) / (m * r + 1); // eq. (4.50)
    return k.rho * std::pow(r, 1 / g_);       // eq. (4.53)
}

double ExactRiemann::starDensityLeft() const { return starDensity(L_); }
double ExactRiemann::starDensityRight() const { return starDensity(R_); }

double ExactRiemann::rightShockSpeed() const
{
    return R_.u + aR_ * std::sqrt((g_ + 1) / (2 * g_) * pStar_ / R_.p + (g_ - 1) / (2 * g_)); // eq. (4.59)
}

// Sampling, sect. 4.5 (Fig. 4.14).
RiemannSide ExactRiemann::sample(double s) const
{
    const double gm = (g_ - 1) / (g_ + 1);
    const bool left = s <= uStar_;
    const RiemannSide &k = left ? L_ : R_;
    const double a = left ? aL_ : aR_;
    const double dir = left ? 1.0 : -1.0; // mirror the right side onto the left
    const double rel = dir * (s - k.u);   // wave position relative to the side state
    if (pStar_ > k.p) {
        const double shock = -a * std::sqrt((g_ + 1) / (2 * g_) * pStar_ / k.p + (g_ - 1) / (2 * g_));
        return rel <= shock ? k : RiemannSide{starDensity(k), uStar_, pStar_};
    }
    const double aStar = a * std::pow(pStar_ / k.p, (g_ - 1) / (2 * g_));
    const double head = -a, tail = dir * (uStar_ - k.u) - aStar;
    if (rel <= head)
        return k;
    if (rel >= tail)
        return {starDensity(k), uStar_, pStar_};
    // Inside the fan, eqs. (4.56) and (4.63).
    const double c = 2 / (g_ + 1) + gm / a * (dir * (k.u - s));
    const double rho = k.rho * std::pow(c, 2 / (g_ - 1));
    const double u = 2 / (g_ + 1) * (dir * a + (g_ - 1) / 2 * k.u + s);
    return {rho, u, k.p * std::pow(c, 2 * g_ / (g_ - 1))};
}
