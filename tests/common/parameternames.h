#pragma once

#include "params/parameters.h"

#include <QMetaEnum>
#include <QString>

// A parameter by its key's name ("PistonDiameter"), for test rows that name
// what they change; *known tells whether there is such a parameter.
inline Parameter parameterNamed(const QString &name, bool *known)
{
    return Parameter(QMetaEnum::fromType<Parameter>().keyToValue(name.toLatin1().constData(), known));
}

// Texts with changes: "HeatCapacityRatio=1;MeshFileName=x" sets those
// parameters to "1" and "x". A name that is no parameter is put in *unknown.
inline FieldTexts withChanges(FieldTexts texts, const QString &changes, QString *unknown)
{
    for (const QString &change : changes.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = change.indexOf(QLatin1Char('='));
        bool known = false;
        const Parameter key = parameterNamed(change.left(eq), &known);
        if (!known)
            *unknown = change.left(eq);
        texts[key] = change.mid(eq + 1);
    }
    return texts;
}
