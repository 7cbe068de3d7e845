#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Checks the cylinder and valve parameter sets before a calculation run, so
// the solver never starts on values that make its run meaningless.
namespace ParameterCheck {

// Field texts keyed by the form's object name (lineEdit_PA_1, lineEdit_CA, ...).
using FieldTexts = QHash<QString, QString>;

// Every field the check reads, in the order problems are listed.
QStringList fieldNames();

// Every problem, one line per problem, field by field in the order of
// fieldNames(), each beginning with the field's label text. Empty when the
// sets are fit for a run. Fields missing from texts count as empty.
QStringList problems(const FieldTexts &texts);

} // namespace ParameterCheck
