#include "logfollower.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Enough to tell two runs' logs apart at the same position: a progress line
// carries the pressure and temperature of its instant.
constexpr qint64 tailLength = 64;

} // namespace

LogFollower::LogFollower(const QString &fileName)
    : m_fileName(fileName)
{
}

void LogFollower::restart()
{
    m_reader.reset();
    m_offset = 0;
    m_tail.clear();
}

LogFollower::Look LogFollower::look()
{
    QFile file(m_fileName);
    if (!file.exists()) {
        restart();
        m_error.clear();
        return Look::Missing;
    }
    if (QFileInfo(m_fileName).isDir() || !file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("%1: %2").arg(m_fileName, QFileInfo(m_fileName).isDir()
                                                               ? QStringLiteral("is a directory")
                                                               : file.errorString());
        return Look::Unreadable;
    }
    m_error.clear();
    Look look = Look::Appended;
    if (file.size() < m_offset
        || (m_offset > 0 && (!file.seek(m_offset - m_tail.size()) || file.read(m_tail.size()) != m_tail))) {
        restart();
        look = Look::Restarted;
    }
    if (file.size() == m_offset && look != Look::Restarted)
        return Look::Unchanged;
    if (!file.seek(m_offset) || !m_reader.read(file)) {
        m_error = QStringLiteral("%1: %2").arg(m_fileName, file.errorString());
        return Look::Unreadable;
    }
    m_offset = file.pos();
    const qint64 tailStart = qMax<qint64>(0, m_offset - tailLength);
    if (!file.seek(tailStart))
        return look;
    m_tail = file.read(m_offset - tailStart);
    return look;
}
