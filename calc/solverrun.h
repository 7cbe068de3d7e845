#pragma once

#include "logfollower.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <functional>

// One solver run that the window started: its process, followed by id, and
// its run log. Nothing of it is kept once the window is gone.
class SolverRun
{
    Q_DECLARE_TR_FUNCTIONS(SolverRun)

public:
    enum class Phase {
        Starting, // running, the log has not named its target yet
        Running,
        Finished,
        Failed,   // the log's last line or its "ERROR:" line says so
        Vanished, // the process went without a last line: no result
        Stopped,  // ended after the user asked it to stop
    };
    // Where a process stands; DetachedProcess::isRunning unless a test says otherwise.
    using Probe = std::function<bool(qint64 pid)>;

    SolverRun(const QString &caseName, const QString &caseDir, qint64 pid, Probe probe = {});

    // Looks at the process and the log once; true when what the run shows changed.
    bool poll();
    // Asks the process to end; false when it could not be asked.
    bool stop();

    static Phase phaseOf(const SolverLog::State &log, bool processRunning, bool stopAsked);

    bool isActive() const { return m_phase == Phase::Starting || m_phase == Phase::Running; }
    Phase phase() const { return m_phase; }
    const SolverLog::State &log() const { return m_log.state(); }
    QString caseName() const { return m_caseName; }
    QString caseDir() const { return m_caseDir; }
    qint64 pid() const { return m_pid; }
    // From the start to the end of the run, or to now while it goes on.
    qint64 runTimeMs() const { return m_runTimeMs >= 0 ? m_runTimeMs : m_clock.elapsed(); }
    // Why a failed run failed: the log's reason, else its exit status.
    QString failure() const;
    // One line for the status bar: "Case680mm: solver at 120 of 720 deg".
    QString statusText() const;

private:
    QString m_caseName;
    QString m_caseDir;
    qint64 m_pid;
    Probe m_probe;
    LogFollower m_log;
    Phase m_phase = Phase::Starting;
    bool m_stopAsked = false;
    QElapsedTimer m_clock;
    qint64 m_runTimeMs = -1;
};

// "45 s", "2 min 5 s", "1 h 3 min".
QString formatRunTime(qint64 ms);

// An angle as the status bar shows it: "120", "12.5".
QString formatAngle(double degrees);
