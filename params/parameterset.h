#pragma once

#include "parameters.h"

#include <QList>
#include <QString>
#include <QTextStream>

#include <vector>

// The cylinder and the valve parameter set: which parameters they hold, in
// file order, how each is written and how the reader shows it again.
namespace ParameterSet {

// How the writer turns the field's text into the file's value.
enum class Kind { Text, Real, Integer };

struct Entry {
    Parameter key;         // with several tokens the first of consecutive keys
    Kind kind;
    QString comment;       // the lines before the data line, separated by '\n'
    QString caption;       // what the parameter means: its label in the form
    char display;          // 0 text as read, 'd' integer, 'f' fixed, 'e' exponent
    int decimals;          // for 'f' and 'e'
    int tokens = 1;        // values on the data line, tab-separated
    QTextStream::RealNumberNotation notation = QTextStream::FixedNotation;

    // The parameters this entry fills, one per token.
    QList<Parameter> keys() const;
};

using Table = std::vector<Entry>;

const Table &cylinder();
const Table &valves();

// Every parameter of a set, in file order.
QList<Parameter> keys(const Table &set);

// The entry that holds a parameter, in either set; null for the mesh file name.
const Entry *entryOf(Parameter key);

// What a parameter means, as its label says: "Piston diameter d_P (m)".
QString caption(Parameter key);

} // namespace ParameterSet
