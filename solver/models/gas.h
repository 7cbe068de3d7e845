#pragma once

namespace euler {

// Calorically perfect ideal gas: p = rho R T, e = cv T, h = cp T.
struct IdealGas
{
    double gamma = 1.4;
    double R = 287.0; // J/(kg K)

    double cv() const { return R / (gamma - 1.0); }
    double cp() const { return gamma * R / (gamma - 1.0); }
    double temperature(double p, double rho) const { return p / (rho * R); }
    double density(double p, double T) const { return p / (R * T); }
    double soundSpeed(double T) const;
    // p from internal energy E (J) in volume V: p = (gamma - 1) E / V
    double pressure(double internalEnergy, double volume) const { return (gamma - 1.0) * internalEnergy / volume; }
    // Isentropic temperature after a change of pressure from p0 to p1.
    double isentropicTemperature(double T0, double p0, double p1) const;
};

} // namespace euler
