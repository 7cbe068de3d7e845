#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <vector>

// The cylinder and the valve parameter set: which form fields they hold, in
// file order, how each is written and how the reader shows it again.
namespace ParameterSet {

// How the writer turns the field's text into the file's value.
enum class Kind { Text, Real, Integer };

struct Entry {
    const char *field;     // object name of the line edit; with several tokens the
                           // base name, suffixed a, b, c, ... per token
    Kind kind;
    const char *comment;   // the lines before the data line, separated by '\n'
    const char *caption;   // what the field means, for messages
    char display;          // 0 text as read, 'd' integer, 'f' fixed, 'e' exponent
    int decimals;          // for 'f' and 'e'
    int tokens = 1;        // values on the data line, tab-separated
    QTextStream::RealNumberNotation notation = QTextStream::FixedNotation;

    // Object names of the fields this entry fills, one per token.
    QStringList fieldNames() const;
};

using Table = std::vector<Entry>;

const Table &cylinder();
const Table &valves();

// Every field name of a set, in file order.
QStringList fieldNames(const Table &set);

} // namespace ParameterSet
