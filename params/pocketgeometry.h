#pragma once

#include "parameters.h"

#include <QString>

// Geometry of a valve pocket, all lengths in millimetres. The pocket's axis is
// radial to the bore: x runs outward, y is tangential, z along the cylinder.
namespace PocketGeometry {

struct Dimensions {
    double pistonRadius = 0;  // R
    double pocketRadius = 0;  // r
    double coneHeight = 0;    // k
    double pocketHeight = 0;  // h
};

// The geometry the reference mesh was built for.
Dimensions reference();

// Converts and checks the piston diameter (in metres) and the pocket's
// sizes. A pocket that cannot exist (a text that is no number, a size not
// above zero, a pocket not narrower than the piston, a cone reaching past the
// cylinder axis, a valve seat inside the bore) gives false and a message
// naming the field.
bool fromTexts(const FieldTexts &texts, Dimensions *dimensions, QString *error);

// Whether positive dimensions give a pocket that fits the bore (by the shared
// input rules); otherwise *error names the field and why.
bool fits(const Dimensions &dimensions, QString *error);

// Radial positions of one geometry: a where the pocket rim meets the bore,
// b = a - k the cone's inner end, c = a + h the valve seat.
struct Positions {
    double a = 0;
    double b = 0;
    double c = 0;
};
Positions positions(const Dimensions &d);

// Maps node coordinates of the reference mesh onto a target geometry: the
// cross-section scales with the pocket radius, and x is stretched piecewise
// linearly in the cone zone (b0..a0), the transition zone (a0 to the bore
// surface s0(y)) and the pocket zone (beyond s0).
class NodeMap
{
public:
    explicit NodeMap(const Dimensions &target);

    enum class Outcome { Mapped, OutsideReferenceBore, OutsideTargetBore };
    Outcome map(double x, double y, double z, double out[3]) const;

private:
    Dimensions m_target;
    Positions m_ref;
    Positions m_to;
    double m_refRadiusSquared;
    double m_toRadiusSquared;
    double m_coneScale;
};

} // namespace PocketGeometry
