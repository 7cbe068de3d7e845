#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// The sample sets behind the fixtures data/cylinder.txt and data/valves.txt:
// the texts typed into each field, and what reading the file shows again.
namespace SampleData {

struct Field {
    const char *name;
    const char *typed;
    const char *shown;
};

inline const QList<Field> &cylinder()
{
    static const QList<Field> fields = {
        {"lineEdit_CA", "Case680mm", "Case680mm"},
        {"lineEdit_PA_1", "0.68", "0.680"},
        {"lineEdit_PA_1b", "0.1", "0.100"},
        {"lineEdit_PA_2", "0.0025", "0.0025"},
        {"lineEdit_PA_3", "0.15", "0.150"},
        {"lineEdit_PA_4", "0.75", "0.750"},
        {"lineEdit_PA_5", "1500", "1500.0"},
        {"lineEdit_PA_6", "1.4", "1.40"},
        {"lineEdit_PA_7", "100000", "100000.0"},
        {"lineEdit_PA_8", "350000", "350000.0"},
        {"lineEdit_PA_9", "1.2", "1.200"},
        {"lineEdit_PA_10", "20", "20"},
        {"lineEdit_PA_11", "5", "5"},
        {"lineEdit_PA_12", "4", "4"},
        {"lineEdit_PA_13", "0.9", "0.900"},
        {"lineEdit_PA_14", "0.8", "0.800"},
        {"lineEdit_PA_15", "0.5", "0.50"},
        {"lineEdit_PA_16", "2.1", "2.1"},
        {"lineEdit_PA_19", "28.9647", "28.965"},
        {"lineEdit_PA_29", "0.0000185", "1.85000e-05"},
    };
    return fields;
}

inline const QList<Field> &valves()
{
    static const QList<Field> fields = {
        {"lineEdit_PA_17", "0.05", "0.050"},
        {"lineEdit_PA_18", "3", "3"},
        {"lineEdit_PA_19a", "0", "0.0"},
        {"lineEdit_PA_19b", "72", "72.0"},
        {"lineEdit_PA_19c", "144", "144.0"},
        {"lineEdit_PA_19d", "216", "216.0"},
        {"lineEdit_PA_19e", "288", "288.0"},
        {"lineEdit_PA_20", "0.0025", "0.0025"},
        {"lineEdit_PA_21", "0.0003", "0.0003"},
        {"lineEdit_PA_22", "1.2", "1.2000"},
        {"lineEdit_PA_23", "123456.78", "123456.8"},
        {"lineEdit_PA_24", "0.015", "0.0150"},
        {"lineEdit_PA_25", "0.0012", "0.00120"},
        {"lineEdit_PA_26", "800", "800.0"},
        {"lineEdit_PA_27", "0.002", "0.002000"},
        {"lineEdit_PA_28", "2", "2"},
        {"lineEdit_PA_29a", "36", "36.0"},
        {"lineEdit_PA_29b", "108", "108.0"},
        {"lineEdit_PA_29c", "180", "180.0"},
        {"lineEdit_PA_29d", "252", "252.0"},
        {"lineEdit_PA_29e", "324", "324.0"},
        {"lineEdit_PA_30", "0.002", "0.0020"},
        {"lineEdit_PA_31", "0.00025", "0.0003"},
        {"lineEdit_PA_32", "1.1", "1.1000"},
        {"lineEdit_PA_33", "98765.4321", "98765.4321"},
        {"lineEdit_PA_34", "0.012", "0.0120"},
        {"lineEdit_PA_35", "0.0011", "0.00110"},
        {"lineEdit_PA_36", "900", "900.0"},
        {"lineEdit_PA_37", "0.0015", "0.001500"},
        {"lineEdit_PA_38", "100", "100.0"},
        {"lineEdit_PA_39", "40", "40.0"},
        {"lineEdit_PA_40", "19", "19.0"},
    };
    return fields;
}

inline const QList<Field> &fields(bool valveSet)
{
    return valveSet ? valves() : cylinder();
}

inline QHash<QString, QString> typed(const QList<Field> &fields)
{
    QHash<QString, QString> texts;
    for (const Field &field : fields)
        texts.insert(QString::fromLatin1(field.name), QString::fromUtf8(field.typed));
    return texts;
}

// Fixture files hold '\n'; a text-mode writer uses the platform's line end.
inline QByteArray withPlatformLineEnds(QByteArray bytes)
{
#ifdef Q_OS_WIN
    bytes.replace("\n", "\r\n");
#endif
    return bytes;
}

} // namespace SampleData
