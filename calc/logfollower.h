#pragma once

#include "solverlog.h"

#include <QByteArray>
#include <QString>

// Follows a log that another process writes, reading at each look only what
// was appended since the last one. A log that is written anew (shorter than
// what was read, or other bytes just before the read position) is read again
// from its start; a log that goes away forgets what it said.
class LogFollower
{
public:
    explicit LogFollower(const QString &fileName);

    enum class Look { Unchanged, Appended, Restarted, Missing, Unreadable };
    // Looks at the file once; Unreadable with the reason in errorString().
    Look look();
    // The writer has gone: takes an unfinished last line as complete.
    void finish() { m_reader.finish(); }

    const SolverLog::State &state() const { return m_reader.state(); }
    QString fileName() const { return m_fileName; }
    QString errorString() const { return m_error; }

private:
    void restart();

    QString m_fileName;
    SolverLog::Reader m_reader;
    qint64 m_offset = 0;
    QByteArray m_tail; // the last bytes read, to tell a rewritten log
    QString m_error;
};
