#include "solverrun.h"

#include "detachedprocess.h"
#include "formats/solverlog.h"

#include <QDir>

#include <cmath>

SolverRun::SolverRun(const QString &caseName, const QString &caseDir, qint64 pid, Probe probe)
    : m_caseName(caseName),
      m_caseDir(caseDir),
      m_pid(pid),
      m_probe(probe ? std::move(probe) : Probe(DetachedProcess::isRunning)),
      m_log(QDir(caseDir).filePath(QString::fromLatin1(formats::solverlog::fileName)))
{
    m_clock.start();
}

SolverRun::Phase SolverRun::phaseOf(const SolverLog::State &log, bool processRunning, bool stopAsked)
{
    using End = SolverLog::State::End;
    if (log.end == End::Finished)
        return Phase::Finished;
    if (log.end == End::Stopped)
        return Phase::Failed;
    if (processRunning)
        return log.target || log.reached ? Phase::Running : Phase::Starting;
    if (!log.error.isEmpty())
        return Phase::Failed;
    return stopAsked ? Phase::Stopped : Phase::Vanished;
}

bool SolverRun::poll()
{
    if (!isActive())
        return false;
    // The process first: a log read after it has gone holds all it wrote.
    const bool running = m_probe(m_pid);
    const SolverLog::State before = log();
    m_log.look();
    if (!running)
        m_log.finish();
    const Phase phase = phaseOf(log(), running, m_stopAsked);
    const bool changed = phase != m_phase || log() != before;
    m_phase = phase;
    if (!isActive())
        m_runTimeMs = m_clock.elapsed();
    return changed;
}

bool SolverRun::stop()
{
    if (!isActive() || !DetachedProcess::stop(m_pid))
        return false;
    m_stopAsked = true;
    return true;
}

QString SolverRun::failure() const
{
    if (!log().error.isEmpty())
        return log().error;
    return tr("exit status %1").arg(log().exitStatus);
}

QString SolverRun::statusText() const
{
    QString state;
    switch (m_phase) {
    case Phase::Starting:
        state = tr("solver starting");
        break;
    case Phase::Running:
        state = log().target ? tr("solver at %1 of %2 deg")
                                   .arg(formatAngle(log().reached.value_or(0)), formatAngle(*log().target))
                             : tr("solver at %1 deg").arg(formatAngle(log().reached.value_or(0)));
        break;
    case Phase::Finished:
        state = tr("solver finished in %1").arg(formatRunTime(runTimeMs()));
        break;
    case Phase::Failed:
        state = tr("solver failed: %1").arg(failure());
        break;
    case Phase::Vanished:
        state = tr("solver ended without a result");
        break;
    case Phase::Stopped:
        state = tr("solver stopped");
        break;
    }
    return QStringLiteral("%1: %2").arg(m_caseName, state);
}

QString formatRunTime(qint64 ms)
{
    const qint64 seconds = (ms + 500) / 1000;
    if (seconds < 60)
        return SolverRun::tr("%1 s").arg(seconds);
    if (seconds < 3600)
        return SolverRun::tr("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    const qint64 minutes = (seconds + 30) / 60;
    return SolverRun::tr("%1 h %2 min").arg(minutes / 60).arg(minutes % 60);
}

QString formatAngle(double degrees)
{
    return QString::number(degrees, 'g', 10);
}
