#include "pocketgeometry.h"

#include "formats/inputrules.h"
#include "parameterset.h"

#include <QCoreApplication>

#include <cmath>

namespace PocketGeometry {

namespace {

namespace rules = formats::inputrules;

// Square roots are taken as the power 0.5, as everywhere in the mapping.
double root(double v) { return std::pow(v, 0.5); }

// The translation context of the geometry's messages.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(PocketGeometry)
};

bool readField(const FieldTexts &texts, Parameter key, const rules::Range &range, double *value,
               QString *error)
{
    const QString text = texts.value(key);
    const QString label = ParameterSet::caption(key);
    bool ok = false;
    *value = text.toDouble(&ok);
    if (ok && std::isfinite(*value) && range.contains(*value))
        return true;
    if (!ok || !std::isfinite(*value))
        *error = Texts::tr("\"%1\" must be a number (it is \"%2\").").arg(label, text);
    else if (*value <= 0)
        *error = Texts::tr("\"%1\" must be greater than zero (it is %2).").arg(label, text.trimmed());
    else
        *error = Texts::tr("\"%1\" must be from %2 to %3 (it is %4).")
                     .arg(label).arg(range.low).arg(range.high).arg(text.trimmed());
    return false;
}

} // namespace

Dimensions reference() { return {340.0, 100.0, 40.0, 19.0}; }

bool fromTexts(const FieldTexts &texts, Dimensions *d, QString *error)
{
    double diameter = 0;
    if (!readField(texts, Parameter::PistonDiameter, rules::pistonDiameter, &diameter, error)
        || !readField(texts, Parameter::PocketRadius, rules::pocketRadius, &d->pocketRadius, error)
        || !readField(texts, Parameter::ConeHeight, rules::coneHeight, &d->coneHeight, error)
        || !readField(texts, Parameter::PocketHeight, rules::pocketHeight, &d->pocketHeight, error))
        return false;
    d->pistonRadius = rules::pistonRadiusMm(diameter);
    return fits(*d, error);
}

bool fits(const Dimensions &d, QString *error)
{
    switch (rules::pocketFit(d.pistonRadius, d.pocketRadius, d.coneHeight, d.pocketHeight)) {
    case rules::PocketFit::Fits:
        return true;
    case rules::PocketFit::WiderThanPiston:
        *error = Texts::tr("\"%1\" (%2 mm) must be smaller than the piston radius (%3 mm from \"%4\").")
                     .arg(ParameterSet::caption(Parameter::PocketRadius))
                     .arg(d.pocketRadius)
                     .arg(d.pistonRadius)
                     .arg(ParameterSet::caption(Parameter::PistonDiameter));
        break;
    case rules::PocketFit::ConePastAxis:
        *error = Texts::tr("\"%1\" (%2 mm) must be smaller than %3 mm, the distance of the pocket rim "
                           "from the cylinder axis.")
                     .arg(ParameterSet::caption(Parameter::ConeHeight))
                     .arg(d.coneHeight)
                     .arg(positions(d).a);
        break;
    case rules::PocketFit::SeatInsideBore:
        *error = Texts::tr("\"%1\" (%2 mm) must be greater than %3 mm, or the valve seat lies inside "
                           "the bore.")
                     .arg(ParameterSet::caption(Parameter::PocketHeight))
                     .arg(d.pocketHeight)
                     .arg(d.pistonRadius - positions(d).a);
        break;
    }
    return false;
}

Positions positions(const Dimensions &d)
{
    Positions p;
    p.a = rules::rimDistance(d.pistonRadius, d.pocketRadius);
    p.b = p.a - d.coneHeight;
    p.c = p.a + d.pocketHeight;
    return p;
}

NodeMap::NodeMap(const Dimensions &target)
    : m_target(target)
    , m_ref(positions(reference()))
    , m_to(positions(target))
    , m_refRadiusSquared(reference().pistonRadius * reference().pistonRadius)
    , m_toRadiusSquared(target.pistonRadius * target.pistonRadius)
    , m_coneScale((m_to.b - m_to.a) / (m_ref.b - m_ref.a))
{
}

NodeMap::Outcome NodeMap::map(double x, double y, double z, double out[3]) const
{
    const double r0 = reference().pocketRadius;
    const double yT = y * m_target.pocketRadius / r0;
    const double zT = z * m_target.pocketRadius / r0;
    const double s0Squared = m_refRadiusSquared - y * y;
    if (s0Squared < 0)
        return Outcome::OutsideReferenceBore;
    const double sSquared = m_toRadiusSquared - yT * yT;
    if (sSquared < 0)
        return Outcome::OutsideTargetBore;
    const double s0 = root(s0Squared);
    const double s = root(sSquared);

    double X;
    if (x <= m_ref.a)
        X = m_to.a + (x - m_ref.a) * m_coneScale;
    else
        X = m_to.a + (x - m_ref.a) * (s - m_to.a) / (s0 - m_ref.a);
    if (x > s0)
        X = s + (x - s0) * (m_to.c - s) / (m_ref.c - s0);

    out[0] = X;
    out[1] = yT;
    out[2] = zT;
    return Outcome::Mapped;
}

} // namespace PocketGeometry
