#include "solverlog.h"

#include "formats/solverlog.h"

#include <QIODevice>

namespace SolverLog {

namespace {

namespace vocabulary = formats::solverlog;

// The rest of a line after prefix, or nothing when it does not start so.
std::optional<QByteArray> after(const QByteArray &line, const char *prefix)
{
    if (!line.startsWith(prefix))
        return std::nullopt;
    return line.mid(qstrlen(prefix));
}

// The number at the start of text, up to the first blank: "120 deg: ..."
// gives 120. A sentence's full stop is not part of it ("3." gives 3).
std::optional<double> leadingNumber(const QByteArray &text)
{
    const qsizetype blank = text.indexOf(' ');
    QByteArray token = blank < 0 ? text : text.left(blank);
    if (token.endsWith('.'))
        token.chop(1);
    bool ok = false;
    const double value = token.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

bool State::operator==(const State &other) const
{
    return target == other.target && reached == other.reached && error == other.error
           && end == other.end && exitStatus == other.exitStatus;
}

bool Reader::read(QIODevice &device)
{
    if (!device.isReadable()) {
        m_error = device.errorString();
        if (m_error.isEmpty() || m_error == QLatin1String("Unknown error"))
            m_error = QStringLiteral("not open for reading");
        return false;
    }
    m_error.clear();
    const QByteArray data = device.readAll();
    qsizetype start = 0;
    for (qsizetype end = data.indexOf('\n'); end >= 0; end = data.indexOf('\n', start)) {
        takeLine(m_unfinished + data.mid(start, end - start));
        m_unfinished.clear();
        start = end + 1;
    }
    m_unfinished += data.mid(start);
    return true;
}

void Reader::finish()
{
    if (!m_unfinished.isEmpty())
        takeLine(std::exchange(m_unfinished, QByteArray()));
}

void Reader::reset()
{
    *this = Reader();
}

void Reader::takeLine(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    if (const auto rest = after(line, vocabulary::progressPrefix)) {
        if (const auto angle = leadingNumber(*rest))
            m_state.reached = angle;
    } else if (const auto rest = after(line, vocabulary::targetPrefix)) {
        m_state.target = leadingNumber(*rest);
    } else if (const auto rest = after(line, vocabulary::errorPrefix)) {
        m_state.error = QString::fromUtf8(rest->trimmed());
    } else if (line.startsWith(vocabulary::finishedPrefix)) {
        m_state.end = State::End::Finished;
    } else if (const auto rest = after(line, vocabulary::stoppedPrefix)) {
        m_state.end = State::End::Stopped;
        m_state.exitStatus = int(leadingNumber(*rest).value_or(-1));
    }
}

std::optional<State> parse(QIODevice &device, QString *error)
{
    Reader reader;
    if (!reader.read(device)) {
        if (error)
            *error = reader.errorString();
        return std::nullopt;
    }
    reader.finish();
    return reader.state();
}

} // namespace SolverLog
