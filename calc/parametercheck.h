#pragma once

#include "params/parameters.h"

#include <QList>
#include <QStringList>

// Checks the cylinder and valve parameter sets before a calculation run by the
// shared input rules (formats/inputrules.h), so the solver never starts on
// values it would refuse or that make its run meaningless.
namespace ParameterCheck {

using FieldTexts = ::FieldTexts;

// Every parameter the check reads, in the order problems are listed.
QList<Parameter> parameters();

// Every problem, one line per problem, parameter by parameter in the order of
// parameters(), each beginning with the parameter's label text. Empty when the
// sets are fit for a run. Parameters missing from texts count as empty.
QStringList problems(const FieldTexts &texts);

} // namespace ParameterCheck
