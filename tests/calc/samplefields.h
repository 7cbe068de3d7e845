#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// A valid parameter set for a 680 mm piston with two suction and two
// discharge valves, keyed by the form's object names.
inline QHash<QString, QString> sampleFieldTexts()
{
    return {
        {"lineEdit_CA", "Case680mm"},      {"lineEdit_CA_2", "dP=680mm.msh"},
        {"lineEdit_PA_1", "0.68"},         {"lineEdit_PA_1b", "0.1"},
        {"lineEdit_PA_2", "0.002"},        {"lineEdit_PA_3", "0.2"},
        {"lineEdit_PA_4", "1.2"},          {"lineEdit_PA_5", "300"},
        {"lineEdit_PA_6", "1.4"},          {"lineEdit_PA_7", "100000"},
        {"lineEdit_PA_8", "300000"},       {"lineEdit_PA_9", "1.2"},
        {"lineEdit_PA_10", "20"},          {"lineEdit_PA_11", "5"},
        {"lineEdit_PA_12", "4"},           {"lineEdit_PA_13", "0.9"},
        {"lineEdit_PA_14", "0.8"},         {"lineEdit_PA_15", "0.5"},
        {"lineEdit_PA_16", "2.1"},         {"lineEdit_PA_19", "28.965"},
        {"lineEdit_PA_29", "1.85e-05"},
        {"lineEdit_PA_17", "0.2"},         {"lineEdit_PA_18", "2"},
        {"lineEdit_PA_19a", "0"},          {"lineEdit_PA_19b", "180"},
        {"lineEdit_PA_19c", ""},           {"lineEdit_PA_19d", ""},
        {"lineEdit_PA_19e", ""},
        {"lineEdit_PA_20", "0.003"},       {"lineEdit_PA_21", "0.0015"},
        {"lineEdit_PA_22", "0.6"},         {"lineEdit_PA_23", "1000"},
        {"lineEdit_PA_24", "0.05"},        {"lineEdit_PA_25", "0.01"},
        {"lineEdit_PA_26", "2000"},        {"lineEdit_PA_27", "0.002"},
        {"lineEdit_PA_28", "2"},
        {"lineEdit_PA_29a", "90"},         {"lineEdit_PA_29b", "270"},
        {"lineEdit_PA_29c", ""},           {"lineEdit_PA_29d", ""},
        {"lineEdit_PA_29e", ""},
        {"lineEdit_PA_30", "0.003"},       {"lineEdit_PA_31", "0.0015"},
        {"lineEdit_PA_32", "0.6"},         {"lineEdit_PA_33", "1000"},
        {"lineEdit_PA_34", "0.05"},        {"lineEdit_PA_35", "0.01"},
        {"lineEdit_PA_36", "2000"},        {"lineEdit_PA_37", "0.002"},
        {"lineEdit_PA_38", "100"},         {"lineEdit_PA_39", "40"},
        {"lineEdit_PA_40", "19"},
    };
}

// The sample set with changes: "PA_6=1;CA_2=x" sets lineEdit_PA_6 to "1" and
// lineEdit_CA_2 to "x". A change of a field the set lacks is named in *unknown.
inline QHash<QString, QString> changedSampleFieldTexts(const QString &changes, QString *unknown)
{
    QHash<QString, QString> texts = sampleFieldTexts();
    for (const QString &change : changes.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = change.indexOf(QLatin1Char('='));
        const QString field = QStringLiteral("lineEdit_") + change.left(eq);
        if (!texts.contains(field))
            *unknown = field;
        texts[field] = change.mid(eq + 1);
    }
    return texts;
}
