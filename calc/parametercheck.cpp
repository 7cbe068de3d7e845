#include "parametercheck.h"

#include "entryname.h"

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

// What a field must hold.
enum class Rule {
    Unchecked, // the case name has its own check
    Positive,
    NonNegative,
    HeatCapacityRatio,
    Coefficient,
    EndAngle,
    OpenUnitInterval,
    CellCount,
    ValveCount,
    AngleOfValveInUse,
    MeshFileName,
};

Rule ruleOf(const QString &field)
{
    static const QHash<QString, Rule> rules = {
        {"lineEdit_PA_6", Rule::HeatCapacityRatio},
        {"lineEdit_PA_16", Rule::EndAngle},
        {"lineEdit_PA_22", Rule::Coefficient},
        {"lineEdit_PA_32", Rule::Coefficient},
        {"lineEdit_PA_10", Rule::CellCount},
        {"lineEdit_PA_11", Rule::CellCount},
        {"lineEdit_PA_12", Rule::CellCount},
        {"lineEdit_PA_13", Rule::OpenUnitInterval},
        {"lineEdit_PA_14", Rule::OpenUnitInterval},
        {"lineEdit_PA_18", Rule::ValveCount},
        {"lineEdit_PA_28", Rule::ValveCount},
        // A valve may have no spring or no preload.
        {"lineEdit_PA_23", Rule::NonNegative},
        {"lineEdit_PA_33", Rule::NonNegative},
        {"lineEdit_PA_26", Rule::NonNegative},
        {"lineEdit_PA_27", Rule::NonNegative},
        {"lineEdit_PA_36", Rule::NonNegative},
        {"lineEdit_PA_37", Rule::NonNegative},
        {"lineEdit_CA", Rule::Unchecked},
    };
    // Every other value is a length, speed, pressure, density, mass, area or
    // material property.
    return rules.value(field, Rule::Positive);
}

struct Field
{
    QString name;
    QString label;
    Rule rule = Rule::Unchecked;
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
                    Field field{names.at(token), QString::fromUtf8(entry.caption), ruleOf(names.at(token)), 0, {}};
                    if (entry.tokens > 1) {
                        // An angle list follows the count of its valves.
                        field.rule = Rule::AngleOfValveInUse;
                        field.valve = token + 1;
                        field.countField = previous;
                    }
                    all << field;
                }
                previous = QString::fromLatin1(entry.field);
            }
        }
        all << Field{QStringLiteral("lineEdit_CA_2"),
                     tr("Please enter the name of the mesh file for the valve pockets"), Rule::MeshFileName, 0, {}};
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
    void add(const QString &field, const QString &problem) { m_problems[field] << problem; }
    bool has(const QString &field) const { return m_values.contains(field); }
    double value(const QString &field) const { return m_values.value(field); }
    void requireBelow(const QString &field, const QString &limitField, const QString &limitName);
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

void Checker::checkOwnRule(const Field &field)
{
    auto accept = [&](double v, bool good, const QString &need) {
        if (good)
            m_values.insert(field.name, v);
        else
            add(field.name, need + tr(" (is %1)").arg(shown(v)));
    };
    switch (field.rule) {
    case Rule::Unchecked:
    case Rule::AngleOfValveInUse: // needs the valve counts
        return;
    case Rule::CellCount:
        if (const auto n = wholeNumber(field))
            accept(*n, *n >= 1, tr("must be at least 1"));
        return;
    case Rule::ValveCount:
        if (const auto n = wholeNumber(field))
            accept(*n, *n >= 1 && *n <= 5, tr("must be from 1 to 5"));
        return;
    case Rule::MeshFileName: {
        const QString problem = EntryName::meshFileNameProblem(m_texts.value(field.name));
        if (!problem.isEmpty())
            add(field.name, problem);
        return;
    }
    default:
        break;
    }
    const auto v = number(field);
    if (!v)
        return;
    switch (field.rule) {
    case Rule::Positive: accept(*v, *v > 0, tr("must be greater than 0")); break;
    case Rule::NonNegative: accept(*v, *v >= 0, tr("must not be negative")); break;
    case Rule::HeatCapacityRatio: accept(*v, *v > 1 && *v < 2, tr("must lie between 1 and 2")); break;
    case Rule::Coefficient: accept(*v, *v > 0 && *v <= 1, tr("must be greater than 0 and at most 1")); break;
    case Rule::EndAngle: accept(*v, *v > 0 && *v <= 360000, tr("must be greater than 0 and at most 360000")); break;
    case Rule::OpenUnitInterval: accept(*v, *v > 0 && *v < 1, tr("must lie between 0 and 1")); break;
    default: break;
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
        if (field.rule == Rule::AngleOfValveInUse && has(field.countField)
            && field.valve <= value(field.countField)) {
            number(field);
        }
    }
}

void Checker::requireBelow(const QString &field, const QString &limitField, const QString &limitName)
{
    if (!has(field) || !has(limitField))
        return;
    const double limit = value(limitField);
    if (value(field) >= limit)
        add(field, tr("must be smaller than the %1 (%2)").arg(limitName, shown(limit)));
}

// The pocket mapping's own geometry rules, so that a pocket it would refuse
// is refused here, before anything is written. Its message names the field.
void Checker::checkPocketGeometry()
{
    const QStringList names{"lineEdit_PA_1", "lineEdit_PA_38", "lineEdit_PA_39", "lineEdit_PA_40"};
    for (const QString &name : names) {
        if (!has(name))
            return;
    }
    const PocketGeometry::FieldTexts texts{m_texts.value(names.at(0)), m_texts.value(names.at(1)),
                                           m_texts.value(names.at(2)), m_texts.value(names.at(3))};
    PocketGeometry::Dimensions dimensions;
    QString problem;
    if (!PocketGeometry::fromTexts(texts, &dimensions, &problem))
        m_lines[names.last()] << problem;
}

void Checker::checkRelations()
{
    requireBelow(QStringLiteral("lineEdit_PA_1b"), QStringLiteral("lineEdit_PA_1"), tr("piston diameter d_P"));
    requireBelow(QStringLiteral("lineEdit_PA_3"), QStringLiteral("lineEdit_PA_4"), tr("conrod length L"));
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
