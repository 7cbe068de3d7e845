#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

// Line and token handling for pocket mesh files, fast enough for meshes of
// millions of nodes: no per-line allocation, no per-number stream overhead.
namespace PocketMeshIo {

// Reads a device line by line in large chunks. A line is handed out without
// its line end; the last line of a file may lack one.
class LineReader
{
public:
    explicit LineReader(QIODevice &device);

    // False at the end of the data or on a read error (see failed()).
    bool next(QByteArrayView *line);
    bool failed() const { return m_failed; }
    qint64 lineNumber() const { return m_lineNumber; }

private:
    bool fill();

    QIODevice &m_device;
    QByteArray m_buffer;
    qsizetype m_begin = 0;
    qsizetype m_end = 0;
    qint64 m_lineNumber = 0;
    bool m_atEnd = false;
    bool m_failed = false;
};

// Splits off the next token; tokens are separated by white space or "=".
// Returns false when the line holds no further token.
bool nextToken(QByteArrayView *rest, QByteArrayView *token);

// A whole token as a decimal integer or a finite number, as QString's toInt
// and toDouble read them.
bool toInteger(QByteArrayView token, qint64 *value);
bool toNumber(QByteArrayView token, double *value);

// Appends a number in fixed notation with six decimals, exactly as QTextStream
// prints it with FixedNotation and precision 6.
void appendFixed6(QByteArray &out, double value);

} // namespace PocketMeshIo
