#include "parametercheck.h"

#include "entryname.h"

#include "formats/inputrules.h"
#include "params/parameterfile.h"
#include "params/parameterset.h"
#include "params/pocketgeometry.h"

#include <QCoreApplication>
#include <QVector>

#include <cmath>
#include <limits>
#include <optional>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ParameterCheck", text);
}

namespace rules = formats::inputrules;

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

Rule ruleOf(const QString &field)
{
    auto number = [](const rules::Range &range) { return Rule{Kind::Number, &range}; };
    auto whole = [](const rules::Range &range) { return Rule{Kind::WholeNumber, &range}; };
    static const QHash<QString, Rule> table = {
        {"lineEdit_CA", {Kind::Unchecked}},
        {"lineEdit_PA_1", number(rules::pistonDiameter)},
        {"lineEdit_PA_1b", number(rules::rodDiameter)},
        {"lineEdit_PA_2", number(rules::minimalGap)},
        {"lineEdit_PA_3", number(rules::crankRadius)},
        {"lineEdit_PA_4", number(rules::conrodLength)},
        {"lineEdit_PA_5", number(rules::crankSpeed)},
        {"lineEdit_PA_6", number(rules::heatCapacityRatio)},
        {"lineEdit_PA_7", number(rules::suctionPressure)},
        {"lineEdit_PA_8", number(rules::dischargePressure)},
        {"lineEdit_PA_9", number(rules::suctionDensity)},
        {"lineEdit_PA_10", whole(rules::cellsAlongPistonRadius)},
        {"lineEdit_PA_11", whole(rules::cellsAlongRodRadius)},
        {"lineEdit_PA_12", whole(rules::cellsInClearance)},
        {"lineEdit_PA_13", number(rules::grading)},
        {"lineEdit_PA_14", number(rules::grading)},
        {"lineEdit_PA_15", number(rules::courantNumber)},
        {"lineEdit_PA_16", number(rules::endAngle)},
        {"lineEdit_PA_19", number(rules::molarMass)},
        {"lineEdit_PA_29", number(rules::viscosity)},
        {"lineEdit_PA_17", number(rules::valveDiameter)},
        {"lineEdit_PA_18", whole(rules::valveCount)},
        {"lineEdit_PA_20", number(rules::maxLift)},
        {"lineEdit_PA_21", number(rules::fe1mm)},
        {"lineEdit_PA_22", number(rules::dischargeCoefficient)},
        {"lineEdit_PA_23", number(rules::areaSaturation)},
        {"lineEdit_PA_24", number(rules::plateMass)},
        {"lineEdit_PA_25", number(rules::forceArea)},
        {"lineEdit_PA_26", number(rules::springStiffness)},
        {"lineEdit_PA_27", number(rules::springInitialLength)},
        {"lineEdit_PA_28", whole(rules::valveCount)},
        {"lineEdit_PA_30", number(rules::maxLift)},
        {"lineEdit_PA_31", number(rules::fe1mm)},
        {"lineEdit_PA_32", number(rules::dischargeCoefficient)},
        {"lineEdit_PA_33", number(rules::areaSaturation)},
        {"lineEdit_PA_34", number(rules::plateMass)},
        {"lineEdit_PA_35", number(rules::forceArea)},
        {"lineEdit_PA_36", number(rules::springStiffness)},
        {"lineEdit_PA_37", number(rules::springInitialLength)},
        {"lineEdit_PA_38", number(rules::pocketRadius)},
        {"lineEdit_PA_39", number(rules::coneHeight)},
        {"lineEdit_PA_40", number(rules::pocketHeight)},
    };
    return table.value(field);
}

struct Field
{
    QString name;
    QString label;
    Rule rule;
    const ParameterSet::Entry *entry = nullptr; // how the data file carries it
    int valve = 0;      // 1-based valve number of an angle field
    QString countField; // the valve count an angle field depends on
};

// The fields in the order of the cylinder and the valve data file, labelled
// with the parameter sets' captions, then the pocket mesh file name.
const QVector<Field> &fields()
{
    static const QVector<Field> list = [] {
        QVector<Field> all;
        for (const ParameterSet::Table *set : {&ParameterSet::cylinder(), &ParameterSet::valves()}) {
            QString previous;
            for (const ParameterSet::Entry &entry : *set) {
                const QStringList names = entry.fieldNames();
                for (int token = 0; token < names.size(); ++token) {
                    Field field{names.at(token), QString::fromUtf8(entry.caption), ruleOf(names.at(token)),
                                &entry, 0, {}};
                    if (entry.tokens > 1) {
                        // An angle list follows the count of its valves.
                        field.rule = {Kind::AngleOfValveInUse};
                        field.valve = token + 1;
                        field.countField = previous;
                    }
                    all << field;
                }
                previous = QString::fromLatin1(entry.field);
            }
        }
        all << Field{QStringLiteral("lineEdit_CA_2"),
                     tr("Please enter the name of the mesh file for the valve pockets"), {Kind::MeshFileName},
                     nullptr, 0, {}};
        return all;
    }();
    return list;
}

const QString caseNameField = QStringLiteral("lineEdit_CA");

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
public:
    explicit Checker(const ParameterCheck::FieldTexts &texts) : m_texts(texts) {}

    void checkOwnRules();
    void checkAngles();
    void checkRelations();
    QStringList listing() const;

private:
    QString text(const Field &field) const { return m_texts.value(field.name).trimmed(); }
    std::optional<double> number(const Field &field);
    std::optional<int> wholeNumber(const Field &field);
    void checkOwnRule(const Field &field);
    void checkRange(const Field &field, double typed);
    void add(const QString &field, const QString &problem) { m_problems[field] << problem; }
    bool has(const QString &field) const { return m_values.contains(field); }
    double value(const QString &field) const { return m_values.value(field); }
    void requireRelation(const QString &field, const QString &limitField, bool (*holds)(double, double),
                         const QString &requirement);
    void checkPocketGeometry();

    const ParameterCheck::FieldTexts &m_texts;
    QHash<QString, double> m_values;
    QHash<QString, QStringList> m_problems; // without the label
    QHash<QString, QStringList> m_lines;    // whole lines that name the field themselves
};

std::optional<double> Checker::number(const Field &field)
{
    const QString t = text(field);
    if (t.isEmpty()) {
        add(field.name, tr("is empty"));
        return std::nullopt;
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        add(field.name, tr("%1 is not a number").arg(quoted(t)));
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
    add(field.name, tr("%1 is not a whole number").arg(quoted(text(field))));
    return std::nullopt;
}

// What a range asks for, in the words of the messages.
QString requirement(const rules::Range &r)
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
        m_values.insert(field.name, value);
        return;
    }
    const QString is = value == typed
        ? tr(" (is %1)").arg(shown(typed))
        : tr(" (is %1, which the data file holds as %2)").arg(shown(typed), written);
    add(field.name, requirement(range) + is);
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
        const QString problem = EntryName::meshFileNameProblem(m_texts.value(field.name));
        if (!problem.isEmpty())
            add(field.name, problem);
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
        if (field.rule.kind == Kind::AngleOfValveInUse && has(field.countField)
            && field.valve <= value(field.countField)) {
            number(field);
        }
    }
}

// A rule between two fields that passed their own: "field holds(field, limit)".
// The requirement names the other field, %1 standing for its value.
void Checker::requireRelation(const QString &field, const QString &limitField, bool (*holds)(double, double),
                              const QString &requirement)
{
    if (has(field) && has(limitField) && !holds(value(field), value(limitField)))
        add(field, requirement.arg(shown(value(limitField))));
}

// The pocket's fit in the bore, so that a pocket the mapping would refuse is
// refused here, before anything is written. Its message names the field.
void Checker::checkPocketGeometry()
{
    const QString diameter = QStringLiteral("lineEdit_PA_1");
    const QStringList pocket{"lineEdit_PA_38", "lineEdit_PA_39", "lineEdit_PA_40"};
    if (!has(diameter) || !has(pocket.at(0)) || !has(pocket.at(1)) || !has(pocket.at(2)))
        return;
    const PocketGeometry::Dimensions dimensions{formats::inputrules::pistonRadiusMm(value(diameter)),
                                                value(pocket.at(0)), value(pocket.at(1)),
                                                value(pocket.at(2))};
    const QString problem = PocketGeometry::fitProblem(dimensions);
    if (!problem.isEmpty())
        m_lines[pocket.last()] << problem;
}

void Checker::checkRelations()
{
    requireRelation(QStringLiteral("lineEdit_PA_1b"), QStringLiteral("lineEdit_PA_1"), rules::rodFitsPiston,
                    tr("must be smaller than the piston diameter d_P (%1)"));
    requireRelation(QStringLiteral("lineEdit_PA_3"), QStringLiteral("lineEdit_PA_4"), rules::crankFitsConrod,
                    tr("must be smaller than the conrod length L (%1)"));
    requireRelation(QStringLiteral("lineEdit_PA_8"), QStringLiteral("lineEdit_PA_7"), rules::dischargeAboveSuction,
                    tr("must be greater than the suction pressure p_s (%1)"));
    checkPocketGeometry();
    const QString meshName = m_texts.value(QStringLiteral("lineEdit_CA_2"));
    if (!meshName.isEmpty() && meshName.compare(m_texts.value(caseNameField), Qt::CaseInsensitive) == 0)
        add(QStringLiteral("lineEdit_CA_2"), tr("must differ from the case name"));
}

QStringList Checker::listing() const
{
    QStringList lines;
    for (const Field &field : fields()) {
        const QString label = field.valve > 0 ? field.label + tr(", valve %1").arg(field.valve) : field.label;
        for (const QString &problem : m_problems.value(field.name))
            lines << label + QLatin1String(": ") + problem;
        lines << m_lines.value(field.name);
    }
    return lines;
}

} // namespace

namespace ParameterCheck {

QStringList fieldNames()
{
    QStringList names;
    for (const Field &field : fields())
        names << field.name;
    return names;
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
