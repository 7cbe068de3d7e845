#pragma once

#include <QString>

// The solver's per-step result files as the front end names and counts them.
namespace ResultFile {

// Output step number in file names: at least three digits, zero-padded.
QString stepNumber(int step);

// Output step count N from the text of "phiMax": truncated toward zero, 0 when
// the text is not a number.
int stepCount(const QString &phiMaxText);

} // namespace ResultFile
