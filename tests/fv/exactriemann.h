#pragma once

// Exact solution of the Riemann problem for the one-dimensional Euler
// equations of an ideal gas (Toro, Riemann Solvers and Numerical Methods for
// Fluid Dynamics, 3rd ed., ch. 4): the star pressure by Newton iteration on
// the pressure function, eqs. (4.5)-(4.7), and the solution sampled at x/t,
// sect. 4.5. The reference the shock-tube test measures against.
struct RiemannSide
{
    double rho, u, p;
};

class ExactRiemann
{
public:
    ExactRiemann(const RiemannSide &left, const RiemannSide &right, double gamma);

    double starPressure() const { return pStar_; }
    double starVelocity() const { return uStar_; }
    double starDensityLeft() const;
    double starDensityRight() const;
    // Speed of the right-moving shock (the right wave must be one).
    double rightShockSpeed() const;
    // The state at x/t = s.
    RiemannSide sample(double s) const;

private:
    double f(const RiemannSide &k, double a, double p, double &derivative) const;
    double starDensity(const RiemannSide &k) const;

    RiemannSide L_, R_;
    double g_, aL_, aR_, pStar_ = 0, uStar_ = 0;
};
