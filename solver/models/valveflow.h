#pragma once

namespace euler {

// Effective flow area of a valve at lift x (m):
//   A_eff(x) = alpha * fe1mm * x / sqrt(1 + beta x^2)
// fe1mm (m) is the geometric flow area per metre of lift at small lift (the
// curtain area at 1 mm lift divided by 1 mm), alpha (1) the discharge
// coefficient and beta (1/m^2) the saturation: the geometric area tends to
// fe1mm / sqrt(beta), the port area, as the lift grows. beta = 0 keeps the
// area linear in the lift.
struct FlowAreaLaw
{
    double fe1mm = 0;
    double alpha = 0;
    double beta = 0;

    double effectiveArea(double lift) const;
};

// Compressible isentropic orifice flow through an effective area.
// Mass flux per unit effective area (kg/(s m^2)) from an upstream stagnation
// state (pUp, TUp) into pDown <= pUp:
//   G = pUp / sqrt(R TUp) * Psi(pDown / pUp)
//   Psi(pr) = sqrt(2 gamma/(gamma-1) (pr^(2/gamma) - pr^((gamma+1)/gamma)))  for pr > pr*
//   Psi     = sqrt(gamma) (2/(gamma+1))^((gamma+1)/(2(gamma-1)))                 choked, pr <= pr*
//   pr* = (2/(gamma+1))^(gamma/(gamma-1))
// Psi grows like sqrt(2(1 - pr)) near pr = 1, whose slope is unbounded; for
// 1 - pr < linearBand it is replaced by the straight line through
// Psi(1 - linearBand) and 0, which keeps the explicit integration stable.
class IsentropicOrifice
{
public:
    static constexpr double linearBand = 1e-4;

    IsentropicOrifice(double gamma, double R);

    double psi(double pressureRatio) const;
    double massFlux(double pUp, double TUp, double pDown) const;
    // Signed mass flow (kg/s) from side a to side b; negative when b drives.
    double massFlow(double area, double pA, double TA, double pB, double TB) const;

private:
    double psiUnchoked(double pr) const;
    double gamma_, R_, criticalRatio_, chokedPsi_, bandPsiSlope_;
};

} // namespace euler
