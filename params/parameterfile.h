#pragma once

#include "parameterset.h"

#include <QHash>
#include <QString>

class QIODevice;

// The cylinder and valve data files: one reader and one writer that serve
// either set from its table. Field texts are keyed by parameter.
namespace ParameterFile {

using FieldTexts = ::FieldTexts;

// The reader's value list: data lines beyond it are ignored.
constexpr int valueSlots = 40;
// Longer lines are read up to this many bytes; the rest of the line is dropped.
constexpr qint64 maxLineBytes = 64 * 1024;

// Writes the set's lines from `texts` (a missing field counts as empty) to a
// device opened for writing, in text mode for platform line ends. Returns false
// when the device refused the data.
bool write(const ParameterSet::Table &set, const FieldTexts &texts, QIODevice &device);

// One value as the writer puts it on its data line: what the solver reads.
QString valueText(const ParameterSet::Entry &entry, const QString &text);

// Reads a device opened for reading and returns the display text of every
// field of the set, formatted as the set's table says.
FieldTexts read(const ParameterSet::Table &set, QIODevice &device);

// An integer field's value: a decimal integer, or a whole number in real
// notation ("12.0", "1e3"); 0 for anything else.
int integerValue(const QString &text);

// Whether a set reads back as written; otherwise *error names the first text
// entry whose value would shift or cut the reader's value list and why:
// 'The field "Case name" is empty'.
bool readsBack(const ParameterSet::Table &set, const FieldTexts &texts, QString *error);

} // namespace ParameterFile
