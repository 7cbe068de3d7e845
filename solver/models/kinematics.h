#pragma once

namespace euler {

// Exact slider-crank kinematics. Crank angle phi = 0 at top dead centre,
// where the piston stands z_min from the head; the gap grows with phi.
class SliderCrank
{
public:
    SliderCrank(double crankRadius, double conrodLength, double minimalGap, double speedRpm);

    double omega() const { return omega_; } // rad/s
    double stroke() const { return 2 * r_; }
    double minimalGap() const { return zMin_; }

    // s(phi) = z_min + r (1 - cos phi) + L - sqrt(L^2 - r^2 sin^2 phi)
    double gap(double phi) const;
    // ds/dt = omega (r sin phi + r^2 sin phi cos phi / sqrt(L^2 - r^2 sin^2 phi))
    double pistonVelocity(double phi) const;
    // d2s/dt2 = omega^2 (r cos phi + r^2 cos 2phi / S + r^4 sin^2 2phi / (4 S^3)), S = sqrt(L^2 - r^2 sin^2 phi)
    double pistonAcceleration(double phi) const;

private:
    double r_, l_, zMin_, omega_;
};

} // namespace euler
