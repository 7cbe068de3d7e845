#include "models/valveflow.h"

#include <cmath>

namespace euler {

double FlowAreaLaw::effectiveArea(double lift) const
{
    if (lift <= 0)
        return 0;
    return alpha * fe1mm * lift / std::sqrt(1.0 + beta * lift * lift);
}

IsentropicOrifice::IsentropicOrifice(double gamma, double R)
    : gamma_(gamma), R_(R)
{
    criticalRatio_ = std::pow(2.0 / (gamma + 1.0), gamma / (gamma - 1.0));
    chokedPsi_ = std::sqrt(gamma) * std::pow(2.0 / (gamma + 1.0), (gamma + 1.0) / (2.0 * (gamma - 1.0)));
    bandPsiSlope_ = psiUnchoked(1.0 - linearBand) / linearBand;
}

double IsentropicOrifice::psiUnchoked(double pr) const
{
    const double v = 2.0 * gamma_ / (gamma_ - 1.0) * (std::pow(pr, 2.0 / gamma_) - std::pow(pr, (gamma_ + 1.0) / gamma_));
    return v > 0 ? std::sqrt(v) : 0.0;
}

double IsentropicOrifice::psi(double pr) const
{
    if (pr >= 1.0)
        return 0;
    if (pr <= criticalRatio_)
        return chokedPsi_;
    if (1.0 - pr < linearBand)
        return bandPsiSlope_ * (1.0 - pr);
    return psiUnchoked(pr);
}

double IsentropicOrifice::massFlux(double pUp, double TUp, double pDown) const
{
    return pUp / std::sqrt(R_ * TUp) * psi(pDown / pUp);
}

double IsentropicOrifice::massFlow(double area, double pA, double TA, double pB, double TB) const
{
    if (area <= 0 || pA == pB)
        return 0;
    return pA > pB ? area * massFlux(pA, TA, pB) : -area * massFlux(pB, TB, pA);
}

} // namespace euler
