#include "parametercheck.h"

#include "entryname.h"

#include "formats/inputrules.h"
#include "params/parameterfile.h"
#include "params/parameterset.h"
#include "params/pocketgeometry.h"

#include <QCoreApplication>
#include <QHash>
#include <QVector>

#include <cmath>
#include <limits>
#include <optional>

namespace {

namespace rules = formats::inputrules;
using P = Parameter;

// What a field must hold: a number or a whole number within its range of the
// shared input rules, or something with a check of its own.
enum class Kind {
    Unchecked, // the case name has its own check
    Number,
    WholeNumber,
    AngleOfValveInUse,
    MeshFileName,
};

struct Rule
{
    Kind kind = Kind::Unchecked;
    const rules::Range *range = nullptr;
};

Rule ruleOf(Parameter key)
{
    auto number = [](const rules::Range &range) { return Rule{Kind::Number, &range}; };
    auto whole = [](const rules::Range &range) { return Rule{Kind::WholeNumber, &range}; };
    static const QHash<Parameter, Rule> table = [&] {
        QHash<Parameter, Rule> t = {
            {P::CaseName, {Kind::Unchecked}},
            {P::PistonDiameter, number(rules::pistonDiameter)},
            {P::RodDiameter, number(rules::rodDiameter)},
            {P::MinimalGap, number(rules::minimalGap)},
            {P::CrankRadius, number(rules::crankRadius)},
            {P::ConrodLength, number(rules::conrodLength)},
            {P::CrankSpeed, number(rules::crankSpeed)},
            {P::HeatCapacityRatio, number(rules::heatCapacityRatio)},
            {P::SuctionPressure, number(rules::suctionPressure)},
            {P::DischargePressure, number(rules::dischargePressure)},
            {P::SuctionDensity, number(rules::suctionDensity)},
            {P::CellsAlongPistonRadius, whole(rules::cellsAlongPistonRadius)},
            {P::CellsAlongRodRadius, whole(rules::cellsAlongRodRadius)},
            {P::CellsInClearance, whole(rules::cellsInClearance)},
            {P::GradingPiston, number(rules::grading)},
            {P::GradingRod, number(rules::grading)},
            {P::CourantNumber, number(rules::courantNumber)},
            {P::EndAngle, number(rules::endAngle)},
            {P::MolarMass, number(rules::molarMass)},
            {P::Viscosity, number(rules::viscosity)},
            {P::ValveDiameter, number(rules::valveDiameter)},
            {P::PocketRadius, number(rules::pocketRadius)},
            {P::ConeHeight, number(rules::coneHeight)},
            {P::PocketHeight, number(rules::pocketHeight)},
            {P::MeshFileName, {Kind::MeshFileName}},
        };
        for (const ValveSide side : {ValveSide::Suction, ValveSide::Discharge}) {
            t.insert(onSide(side, P::SuctionValveCount), whole(rules::valveCount));
            for (int k = 1; k <= rules::pocketAnglesPerKind; ++k)
                t.insert(pocketAngle(side, k), {Kind::AngleOfValveInUse, &rules::pocketAngle});
            t.insert(onSide(side, P::SuctionMaxLift), number(rules::maxLift));
            t.insert(onSide(side, P::SuctionFe1mm), number(rules::fe1mm));
            t.insert(onSide(side, P::SuctionAlpha), number(rules::dischargeCoefficient));
            t.insert(onSide(side, P::SuctionBeta), number(rules::areaSaturation));
            t.insert(onSide(side, P::SuctionPlateMass), number(rules::plateMass));
            t.insert(onSide(side, P::SuctionForceArea), number(rules::forceArea));
            t.insert(onSide(side, P::SuctionSpringStiffness), number(rules::springStiffness));
            t.insert(onSide(side, P::SuctionSpringLength), number(rules::springInitialLength));
        }
        return t;
    }();
    return table.value(key);
}

struct Field
{
    Parameter key;
    QString label;
    Rule rule;
    const ParameterSet::Entry *entry = nullptr; // how the data file carries it
    int valve = 0;                              // 1-based valve number of an angle field
    Parameter count = P::CaseName;              // the valve count an angle field depends on
};

// The fields in the order of the cylinder and the valve data file, labelled
// with the parameter sets' captions, then the pocket mesh file name.
const QVector<Field> &fields()
{
    static const QVector<Field> list = [] {
        QVector<Field> all;
        for (const ParameterSet::Table *set : {&ParameterSet::cylinder(), &ParameterSet::valves()}) {
            Parameter previous = P::CaseName;
            for (const ParameterSet::Entry &entry : *set) {
                const QList<Parameter> keys = entry.keys();
                for (int token = 0; token < keys.size(); ++token) {
                    Field field{keys.at(token), entry.caption, ruleOf(keys.at(token)), &entry, 0, previous};
                    // An angle list follows the count of its valves.
                    if (field.rule.kind == Kind::AngleOfValveInUse)
                        field.valve = token + 1;
                    all << field;
                }
                previous = entry.key;
            }
        }
        all << Field{P::MeshFileName, ParameterSet::caption(P::MeshFileName), ruleOf(P::MeshFileName)};
        return all;
    }();
    return list;
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString shown(double value)
{
    return QString::number(value, 'g', 6);
}

// Collects the problems of each field and the values that passed their own
// rule, for the checks that relate fields to each other.
class Checker
{
    Q_DECLARE_TR_FUNCTIONS(ParameterCheck)

public:
    explicit Checker(const FieldTexts &texts) : m_texts(texts) {}

    void checkOwnRules();
    void checkAngles();
    void checkRelations();
    QStringList listing() const;

private:
    QString text(const Field &field) const { return m_texts.value(field.key).trimmed(); }
    std::optional<double> number(const Field &field);
    std::optional<int> wholeNumber(const Field &field);
    void checkOwnRule(const Field &field);
    void checkRange(const Field &field, double typed);
    static QString requirement(const rules::Range &range);
    void add(Parameter key, const QString &problem) { m_problems[key] << problem; }
    bool has(Parameter key) const { return m_values.contains(key); }
    double value(Parameter key) const { return m_values.value(key); }
    void requireRelation(Parameter key, Parameter limit, bool (*holds)(double, double), const QString &requirement);
    void checkPocketGeometry();

    const FieldTexts &m_texts;
    QHash<Parameter, double> m_values;       // as the data files carry them
    QHash<Parameter, QStringList> m_problems; // without the label
    QHash<Parameter, QStringList> m_lines;    // whole lines that name the field themselves
};

std::optional<double> Checker::number(const Field &field)
{
    const QString t = text(field);
    if (t.isEmpty()) {
        add(field.key, tr("is empty"));
        return std::nullopt;
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        add(field.key, tr("%1 is not a number").arg(quoted(t)));
        return std::nullopt;
    }
    return v;
}

// The writer takes whole numbers in real notation too ("12.0", "1e3").
std::optional<int> Checker::wholeNumber(const Field &field)
{
    const auto v = number(field);
    if (!v)
        return std::nullopt;
    if (std::trunc(*v) == *v && std::fabs(*v) <= std::numeric_limits<int>::max())
        return int(*v);
    add(field.key, tr("%1 is not a whole number").arg(quoted(text(field))));
    return std::nullopt;
}

// What a range asks for, in the words of the messages.
QString Checker::requirement(const rules::Range &r)
{
    if (!r.hasHigh) {
        if (!r.lowIncluded)
            return tr("must be greater than %1").arg(shown(r.low));
        return r.low == 0 ? tr("must not be negative") : tr("must be at least %1").arg(shown(r.low));
    }
    if (r.lowIncluded && r.highIncluded)
        return tr("must be from %1 to %2").arg(shown(r.low), shown(r.high));
    if (r.highIncluded)
        return tr("must be greater than %1 and at most %2").arg(shown(r.low), shown(r.high));
    return tr("must lie between %1 and %2").arg(shown(r.low), shown(r.high));
}

// A number in its range, judged as the data file carries it: the solver sees
// the written value, which may be rounded onto or past a bound. The written
// value is kept for the checks between fields.
void Checker::checkRange(const Field &field, double typed)
{
    const rules::Range &range = *field.rule.range;
    const QString written = ParameterFile::valueText(*field.entry, text(field));
    const double value = written.toDouble();
    if (range.contains(value)) {
        m_values.insert(field.key, value);
        return;
    }
    const QString is = value == typed
        ? tr(" (is %1)").arg(shown(typed))
        : tr(" (is %1, which the data file holds as %2)").arg(shown(typed), written);
    add(field.key, requirement(range) + is);
}

void Checker::checkOwnRule(const Field &field)
{
    switch (field.rule.kind) {
    case Kind::Unchecked:
    case Kind::AngleOfValveInUse: // needs the valve counts
        return;
    case Kind::WholeNumber:
        if (const auto n = wholeNumber(field))
            checkRange(field, *n);
        return;
    case Kind::Number:
        if (const auto v = number(field))
            checkRange(field, *v);
        return;
    case Kind::MeshFileName: {
        QString problem;
        if (!EntryName::isMeshFileName(m_texts.value(field.key), &problem))
            add(field.key, problem);
        return;
    }
    }
}

void Checker::checkOwnRules()
{
    for (const Field &field : fields())
        checkOwnRule(field);
}

// Angles of valves not in use carry no meaning for the solver.
void Checker::checkAngles()
{
    for (const Field &field : fields()) {
        if (field.rule.kind == Kind::AngleOfValveInUse && has(field.count) && field.valve <= value(field.count)) {
            if (const auto v = number(field))
                checkRange(field, *v);
        }
    }
}

// A rule between two fields that passed their own: holds(field, limit). The
// requirement names the other field, %1 standing for its value.
void Checker::requireRelation(Parameter key, Parameter limit, bool (*holds)(double, double),
                              const QString &requirement)
{
    if (has(key) && has(limit) && !holds(value(key), value(limit)))
        add(key, requirement.arg(shown(value(limit))));
}

// The pocket's fit in the bore, so that a pocket the mapping would refuse is
// refused here, before anything is written. Its message names the field.
void Checker::checkPocketGeometry()
{
    for (const Parameter key : {P::PistonDiameter, P::PocketRadius, P::ConeHeight, P::PocketHeight}) {
        if (!has(key))
            return;
    }
    const PocketGeometry::Dimensions dimensions{rules::pistonRadiusMm(value(P::PistonDiameter)),
                                                value(P::PocketRadius), value(P::ConeHeight),
                                                value(P::PocketHeight)};
    QString problem;
    if (!PocketGeometry::fits(dimensions, &problem))
        m_lines[P::PocketHeight] << problem;
}

void Checker::checkRelations()
{
    requireRelation(P::RodDiameter, P::PistonDiameter, rules::rodFitsPiston,
                    tr("must be smaller than the piston diameter d_P (%1)"));
    requireRelation(P::CrankRadius, P::ConrodLength, rules::crankFitsConrod,
                    tr("must be smaller than the conrod length L (%1)"));
    requireRelation(P::DischargePressure, P::SuctionPressure, rules::dischargeAboveSuction,
                    tr("must be greater than the suction pressure p_s (%1)"));
    checkPocketGeometry();
    const QString meshName = m_texts.value(P::MeshFileName);
    if (!meshName.isEmpty() && meshName.compare(m_texts.value(P::CaseName), Qt::CaseInsensitive) == 0)
        add(P::MeshFileName, tr("must differ from the case name"));
}

QStringList Checker::listing() const
{
    QStringList lines;
    for (const Field &field : fields()) {
        const QString label = field.valve > 0 ? field.label + tr(", valve %1").arg(field.valve) : field.label;
        for (const QString &problem : m_problems.value(field.key))
            lines << label + QLatin1String(": ") + problem;
        lines << m_lines.value(field.key);
    }
    return lines;
}

} // namespace

namespace ParameterCheck {

QList<Parameter> parameters()
{
    QList<Parameter> keys;
    for (const Field &field : fields())
        keys << field.key;
    return keys;
}

QStringList problems(const FieldTexts &texts)
{
    Checker checker(texts);
    checker.checkOwnRules();
    checker.checkAngles();
    checker.checkRelations();
    return checker.listing();
}

} // namespace ParameterCheck
