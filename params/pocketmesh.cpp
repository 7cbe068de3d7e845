#include "pocketmesh.h"

#include "parameterset.h"
#include "pocketmeshio.h"

#include <QCoreApplication>
#include <QIODevice>

#include <cmath>

namespace PocketMesh {

namespace {

using PocketMeshIo::LineReader;

// The translation context of the mapping's messages.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(PocketMesh)
};

// A line of the reference as shown in a message, cut short when long.
QString quoted(QByteArrayView line)
{
    const QString text = QString::fromLocal8Bit(line);
    return text.size() > 80 ? text.left(80) + QStringLiteral("...") : text;
}

constexpr qsizetype flushSize = 1 << 18;

// Collects the output and hands it to the device in large pieces.
class Writer
{
public:
    explicit Writer(QIODevice &device) : m_device(device) { m_buffer.reserve(flushSize + 4096); }

    QByteArray &buffer() { return m_buffer; }
    // Hands the buffer on once it is large; false when that write failed.
    bool lineDone() { return m_buffer.size() < flushSize || flush(); }
    bool flush()
    {
        const bool ok = m_buffer.isEmpty() || m_device.write(m_buffer) == m_buffer.size();
        m_buffer.clear();
        return ok;
    }

private:
    QIODevice &m_device;
    QByteArray m_buffer;
};

class Mapper
{
public:
    Mapper(QIODevice &reference, QIODevice &out, const PocketGeometry::Dimensions &target)
        : m_reader(reference), m_out(out), m_writer(out), m_nodes(target)
    {
    }

    bool run(QString *error);

private:
    bool fail(const QString &reason)
    {
        m_error = reason;
        return false;
    }
    bool readLine(QByteArrayView *line, const char *what);
    bool copyCountLine(const char *what, qint64 *count);
    bool mapNodes(qint64 count);
    bool mapNode(QByteArrayView line);
    bool copyLines(qint64 count, const char *what);
    bool copyLast(bool required);
    bool flush();
    bool flushFailed();
    bool readFailed();
    bool write(QByteArrayView bytes, bool lineEnd);

    LineReader m_reader;
    QIODevice &m_out;
    Writer m_writer;
    PocketGeometry::NodeMap m_nodes;
    QString m_error;
};

bool Mapper::readLine(QByteArrayView *line, const char *what)
{
    if (m_reader.next(line))
        return true;
    if (m_reader.failed())
        return readFailed();
    return fail(Texts::tr("the reference mesh ends after line %1, where %2 was expected.")
                    .arg(m_reader.lineNumber()).arg(QLatin1String(what)));
}

bool Mapper::write(QByteArrayView bytes, bool lineEnd)
{
    QByteArray &buffer = m_writer.buffer();
    buffer.append(bytes);
    if (lineEnd)
        buffer.append('\n');
    return m_writer.lineDone() || flushFailed();
}

bool Mapper::copyCountLine(const char *what, qint64 *count)
{
    QByteArrayView line;
    if (!readLine(&line, what))
        return false;
    QByteArrayView rest = line, token;
    if (!PocketMeshIo::nextToken(&rest, &token) || !PocketMeshIo::toInteger(token, count))
        return fail(Texts::tr("line %1 should begin with %2 but reads \"%3\".")
                        .arg(m_reader.lineNumber()).arg(QLatin1String(what), quoted(line)));
    if (*count < 0)
        return fail(Texts::tr("line %1 gives a negative number as %2: \"%3\".")
                        .arg(m_reader.lineNumber()).arg(QLatin1String(what), quoted(line)));
    return write(line, true);
}

bool Mapper::mapNode(QByteArrayView line)
{
    double xyz[3];
    QByteArrayView rest = line, token;
    for (double &coordinate : xyz) {
        if (!PocketMeshIo::nextToken(&rest, &token) || !PocketMeshIo::toNumber(token, &coordinate))
            return fail(Texts::tr("node line %1 should hold three coordinates x y z but reads \"%2\".")
                            .arg(m_reader.lineNumber()).arg(quoted(line)));
    }
    double mapped[3];
    switch (m_nodes.map(xyz[0], xyz[1], xyz[2], mapped)) {
    case PocketGeometry::NodeMap::Outcome::Mapped:
        break;
    case PocketGeometry::NodeMap::Outcome::OutsideReferenceBore:
        return fail(Texts::tr("the node of line %1 lies outside the reference bore (|y| > 340 mm).")
                        .arg(m_reader.lineNumber()));
    case PocketGeometry::NodeMap::Outcome::OutsideTargetBore:
        return fail(Texts::tr("\"%1\" is too large for \"%2\": the node of line %3 would lie outside "
                       "the bore.")
                        .arg(ParameterSet::caption(Parameter::PocketRadius),
                             ParameterSet::caption(Parameter::PistonDiameter))
                        .arg(m_reader.lineNumber()));
    }
    // A coordinate near the largest double maps past it.
    if (!std::isfinite(mapped[0]) || !std::isfinite(mapped[1]) || !std::isfinite(mapped[2]))
        return fail(Texts::tr("the node of line %1 cannot be mapped: its coordinates are too large.")
                        .arg(m_reader.lineNumber()));
    QByteArray &buffer = m_writer.buffer();
    PocketMeshIo::appendFixed6(buffer, mapped[0]);
    buffer.append('\t');
    PocketMeshIo::appendFixed6(buffer, mapped[1]);
    buffer.append('\t');
    PocketMeshIo::appendFixed6(buffer, mapped[2]);
    buffer.append('\n');
    return m_writer.lineDone() || flushFailed();
}

bool Mapper::mapNodes(qint64 count)
{
    QByteArrayView line;
    for (qint64 i = 0; i < count; ++i) {
        if (!readLine(&line, "a node line") || !mapNode(line))
            return false;
    }
    return true;
}

bool Mapper::copyLines(qint64 count, const char *what)
{
    QByteArrayView line;
    for (qint64 i = 0; i < count; ++i) {
        if (!readLine(&line, what) || !write(line, true))
            return false;
    }
    return true;
}

// The file's last line goes out without a line end. A face count of zero
// promises no face, so a missing line after it is no fault.
bool Mapper::copyLast(bool required)
{
    QByteArrayView line;
    if (required)
        return readLine(&line, "a boundary face line") && write(line, false);
    if (m_reader.next(&line) || !m_reader.failed())
        return write(line, false);
    return readFailed();
}

bool Mapper::flush()
{
    return m_writer.flush() || flushFailed();
}

bool Mapper::readFailed()
{
    return fail(Texts::tr("reading the reference mesh failed after line %1.").arg(m_reader.lineNumber()));
}

bool Mapper::flushFailed()
{
    return fail(Texts::tr("writing the pocket mesh failed: %1").arg(m_out.errorString()));
}

bool Mapper::run(QString *error)
{
    qint64 nodes = 0, cells = 0, faces = 0;
    const bool done = copyCountLine("the node count", &nodes) && mapNodes(nodes)
                      && copyCountLine("the hexahedron count", &cells)
                      && copyLines(cells, "a hexahedron line")
                      && copyCountLine("the boundary face count", &faces)
                      && copyLines(faces - 1, "a boundary face line") && copyLast(faces >= 1)
                      && flush();
    if (!done && error)
        *error = m_error;
    return done;
}

} // namespace

QByteArray inputFileText(const QString &meshFileName)
{
    QByteArray text("Mesh file used for valve pockets:\n");
    text += meshFileName.toLocal8Bit();
    text += "\n\nGrid scaling factor (m/m)\n0.001\n";
    return text;
}

bool map(QIODevice &reference, QIODevice &out, const PocketGeometry::Dimensions &target,
         QString *error)
{
    return Mapper(reference, out, target).run(error);
}

} // namespace PocketMesh
