#pragma once

#include <QString>

// Checks of names that become one directory entry under the workspace root.
// Each returns an empty string for a good name, otherwise why it is refused.
namespace EntryName {

// A single file or directory name that every common file system accepts.
QString problem(const QString &name);

// The case name: also the solver's output directory, recorded on its own data
// line of the cylinder data file, so it must survive that line's tokenising.
QString caseNameProblem(const QString &name);

// The mapped pocket mesh file, written into the root beside the solver inputs.
QString meshFileNameProblem(const QString &name);

} // namespace EntryName
