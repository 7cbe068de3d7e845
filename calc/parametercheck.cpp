#include "parametercheck.h"

#include "entryname.h"

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

// What a field must hold. Angles are numbers only for the valves in use.
enum class Rule {
    AnyNumber,
    Positive,
    NonNegative,
    AboveOne,
    OpenUnitInterval,
    CellCount,
    ValveCount,
    SuctionAngle,
    DischargeAngle,
    MeshFileName,
};

struct Field
{
    const char *name;
    const char *label;
    Rule rule;
    int valve = 0; // 1-based valve number of an angle field
};

const char *const suctionAngles = "z-axis rotation angles for suction valve pockets (\u00b0)";
const char *const dischargeAngles = "z-axis rotation angles for discharge valve pockets (\u00b0)";

const QVector<Field> &fields()
{
    static const QVector<Field> table = {
        {"lineEdit_PA_1", "Piston diameter d_P (m)", Rule::Positive},
        {"lineEdit_PA_1b", "Piston rod diameter d_R (m)", Rule::Positive},
        {"lineEdit_PA_2", "Minimal gap between piston and cylinder-head z_min (m)", Rule::Positive},
        {"lineEdit_PA_3", "Crank radius r (m)", Rule::Positive},
        {"lineEdit_PA_4", "Conrod length L (m)", Rule::Positive},
        {"lineEdit_PA_5", "Crank shaft speed omega (rpm)", Rule::Positive},
        {"lineEdit_PA_6", "Ratio of specific heat capacities Gamma", Rule::AboveOne},
        {"lineEdit_PA_7", "Suction pressure p_s (Pa)", Rule::Positive},
        {"lineEdit_PA_8", "Discharge pressure p_d (Pa)", Rule::Positive},
        {"lineEdit_PA_9", "Suction density rho_s (kg/m^3)", Rule::Positive},
        {"lineEdit_PA_10", "Number of cells along piston radius n1", Rule::CellCount},
        {"lineEdit_PA_11", "Number of cells along piston rod radius n2", Rule::CellCount},
        {"lineEdit_PA_12", "Number of cells in clearance n3", Rule::CellCount},
        {"lineEdit_PA_13", "Radial mesh size grading parameter near piston radius (0 < grading_P < 1)",
         Rule::OpenUnitInterval},
        {"lineEdit_PA_14", "Radial mesh size grading parameter near rod radius (0 < grading_R < 1)",
         Rule::OpenUnitInterval},
        {"lineEdit_PA_15", "CourantNumber", Rule::Positive},
        {"lineEdit_PA_16", "End computation at crank angle phiMax (deg)", Rule::Positive},
        {"lineEdit_PA_19", "Molar mass [g/mol]", Rule::Positive},
        {"lineEdit_PA_29", "Dynamic viscosity [Pas]", Rule::Positive},

        {"lineEdit_PA_17", "Valve diameter d_V (m)", Rule::Positive},
        {"lineEdit_PA_18", "Number of suction valves (1)", Rule::ValveCount},
        {"lineEdit_PA_19a", suctionAngles, Rule::SuctionAngle, 1},
        {"lineEdit_PA_19b", suctionAngles, Rule::SuctionAngle, 2},
        {"lineEdit_PA_19c", suctionAngles, Rule::SuctionAngle, 3},
        {"lineEdit_PA_19d", suctionAngles, Rule::SuctionAngle, 4},
        {"lineEdit_PA_19e", suctionAngles, Rule::SuctionAngle, 5},
        {"lineEdit_PA_20", "Maximum valve plate lift x_max_in of suction valve (m)", Rule::Positive},
        {"lineEdit_PA_21", "Valve parameter fe1mm of suction valve (m)", Rule::Positive},
        {"lineEdit_PA_22", "Valve parameter alpha of suction valve (1)", Rule::Positive},
        {"lineEdit_PA_23", "Valve parameter beta of suction valve (1/m^2)", Rule::AnyNumber},
        {"lineEdit_PA_24", "Valve plate mass of suction valve (kg)", Rule::Positive},
        {"lineEdit_PA_25", "Valve plate force area of suction valve (m^2)", Rule::Positive},
        {"lineEdit_PA_26", "Valve spring stiffness of suction valve (N/m)", Rule::NonNegative},
        {"lineEdit_PA_27", "Valve spring initial length of suction valve (m)", Rule::NonNegative},
        {"lineEdit_PA_28", "Number of discharge valves (1)", Rule::ValveCount},
        {"lineEdit_PA_29a", dischargeAngles, Rule::DischargeAngle, 1},
        {"lineEdit_PA_29b", dischargeAngles, Rule::DischargeAngle, 2},
        {"lineEdit_PA_29c", dischargeAngles, Rule::DischargeAngle, 3},
        {"lineEdit_PA_29d", dischargeAngles, Rule::DischargeAngle, 4},
        {"lineEdit_PA_29e", dischargeAngles, Rule::DischargeAngle, 5},
        {"lineEdit_PA_30", "Maximum valve plate lift x_max_out of discharge valve (m)", Rule::Positive},
        {"lineEdit_PA_31", "Valve parameter fe1mm of discharge valve (m)", Rule::Positive},
        {"lineEdit_PA_32", "Valve parameter alpha of discharge valve (1)", Rule::Positive},
        {"lineEdit_PA_33", "Valve parameter beta of discharge valve (1/m^2)", Rule::AnyNumber},
        {"lineEdit_PA_34", "Valve plate mass of discharge valve (kg)", Rule::Positive},
        {"lineEdit_PA_35", "Valve plate force area of discharge valve (m^2)", Rule::Positive},
        {"lineEdit_PA_36", "Valve spring stiffness of discharge valve (N/m)", Rule::NonNegative},
        {"lineEdit_PA_37", "Valve spring initial length of discharge valve (m)", Rule::NonNegative},
        {"lineEdit_PA_38", "Valve pocket radius rv1 [mm]", Rule::Positive},
        {"lineEdit_PA_39", "Height of valve cone hk1 [mm]", Rule::Positive},
        {"lineEdit_PA_40", "Height of valve pocket hv1 [mm]", Rule::Positive},

        {"lineEdit_CA_2", "Please enter the name of the mesh file for the valve pockets",
         Rule::MeshFileName},
    };
    return table;
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

// Collects the problems of one field and the values that passed their own rule,
// for the checks that relate two fields.
class Checker
{
public:
    explicit Checker(const ParameterCheck::FieldTexts &texts) : m_texts(texts) {}

    void checkOwnRules();
    void checkAngles();
    void checkRelations();
    void checkPocketGeometry();
    QStringList listing() const;

private:
    QString text(const QString &field) const { return m_texts.value(field).trimmed(); }
    std::optional<double> number(const Field &field);
    std::optional<int> wholeNumber(const Field &field);
    void checkOwnRule(const Field &field);
    void add(const QString &field, const QString &problem) { m_problems[field] << problem; }
    bool has(const char *field) const { return m_values.contains(QLatin1String(field)); }
    double value(const char *field) const { return m_values.value(QLatin1String(field)); }
    void requireBelow(const char *field, const char *limitField, const QString &limitName);

    const ParameterCheck::FieldTexts &m_texts;
    QHash<QString, double> m_values;
    QHash<QString, QStringList> m_problems; // without the label
    QHash<QString, QStringList> m_lines;    // whole lines that name the field themselves
};

std::optional<double> Checker::number(const Field &field)
{
    const QString t = text(QLatin1String(field.name));
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

std::optional<int> Checker::wholeNumber(const Field &field)
{
    const QString t = text(QLatin1String(field.name));
    if (t.isEmpty()) {
        add(field.name, tr("is empty"));
        return std::nullopt;
    }
    bool ok = false;
    const int v = t.toInt(&ok, 10);
    if (ok)
        return v;
    // The writer takes whole numbers in real notation too ("12.0", "1e3").
    const double real = t.toDouble(&ok);
    if (ok && std::trunc(real) == real && std::fabs(real) <= std::numeric_limits<int>::max())
        return int(real);
    add(field.name, tr("%1 is not a whole number").arg(quoted(t)));
    return std::nullopt;
}

void Checker::checkOwnRule(const Field &field)
{
    const QString name = QLatin1String(field.name);
    auto accept = [&](double v, bool good, const QString &need) {
        if (good)
            m_values.insert(name, v);
        else
            add(name, need + tr(" (is %1)").arg(shown(v)));
    };
    switch (field.rule) {
    case Rule::CellCount:
    case Rule::ValveCount:
        if (const auto n = wholeNumber(field)) {
            if (field.rule == Rule::CellCount)
                accept(*n, *n >= 1, tr("must be at least 1"));
            else
                accept(*n, *n >= 1 && *n <= 5, tr("must be from 1 to 5"));
        }
        return;
    case Rule::SuctionAngle:
    case Rule::DischargeAngle:
        return; // needs the valve counts
    case Rule::MeshFileName: {
        const QString problem = EntryName::meshFileNameProblem(m_texts.value(name));
        if (!problem.isEmpty())
            add(name, problem);
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
    case Rule::AboveOne: accept(*v, *v > 1, tr("must be greater than 1")); break;
    case Rule::OpenUnitInterval: accept(*v, *v > 0 && *v < 1, tr("must lie between 0 and 1")); break;
    default: accept(*v, true, QString()); break;
    }
}

void Checker::checkOwnRules()
{
    for (const Field &field : fields())
        checkOwnRule(field);
}

void Checker::checkAngles()
{
    // Angles of valves not in use are neither written with meaning nor read.
    const int suction = has("lineEdit_PA_18") ? int(value("lineEdit_PA_18")) : 0;
    const int discharge = has("lineEdit_PA_28") ? int(value("lineEdit_PA_28")) : 0;
    for (const Field &field : fields()) {
        const bool inUse = (field.rule == Rule::SuctionAngle && field.valve <= suction)
                           || (field.rule == Rule::DischargeAngle && field.valve <= discharge);
        if (inUse)
            number(field);
    }
}

void Checker::requireBelow(const char *field, const char *limitField, const QString &limitName)
{
    if (!has(field) || !has(limitField))
        return;
    const double limit = value(limitField);
    if (value(field) >= limit)
        add(field, tr("must be smaller than the %1 (%2)").arg(limitName, shown(limit)));
}

void Checker::checkRelations()
{
    requireBelow("lineEdit_PA_1b", "lineEdit_PA_1", tr("piston diameter d_P"));
    requireBelow("lineEdit_PA_3", "lineEdit_PA_4", tr("conrod length L"));
    checkPocketGeometry();
    const QString meshName = m_texts.value(QStringLiteral("lineEdit_CA_2"));
    if (!meshName.isEmpty() && meshName.compare(m_texts.value(caseNameField), Qt::CaseInsensitive) == 0)
        add(QStringLiteral("lineEdit_CA_2"), tr("must differ from the case name"));
}

// The pocket mapping's own geometry rules, so that a pocket it would refuse
// is refused here, before anything is written. Its message names the field.
void Checker::checkPocketGeometry()
{
    if (!has("lineEdit_PA_1") || !has("lineEdit_PA_38") || !has("lineEdit_PA_39") || !has("lineEdit_PA_40"))
        return;
    const PocketGeometry::FieldTexts texts{m_texts.value(QStringLiteral("lineEdit_PA_1")),
                                           m_texts.value(QStringLiteral("lineEdit_PA_38")),
                                           m_texts.value(QStringLiteral("lineEdit_PA_39")),
                                           m_texts.value(QStringLiteral("lineEdit_PA_40"))};
    PocketGeometry::Dimensions dimensions;
    QString problem;
    if (!PocketGeometry::fromTexts(texts, &dimensions, &problem))
        m_lines[QStringLiteral("lineEdit_PA_40")] << problem;
}

QStringList Checker::listing() const
{
    QStringList lines;
    for (const Field &field : fields()) {
        const QString label = field.valve > 0
                                  ? tr(field.label) + tr(", valve %1").arg(field.valve)
                                  : tr(field.label);
        for (const QString &problem : m_problems.value(QLatin1String(field.name)))
            lines << label + QLatin1String(": ") + problem;
        lines << m_lines.value(QLatin1String(field.name));
    }
    return lines;
}

} // namespace

namespace ParameterCheck {

QStringList fieldNames()
{
    QStringList names;
    for (const Field &field : fields())
        names << QLatin1String(field.name);
    names << caseNameField;
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
