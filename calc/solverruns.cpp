#include "solverruns.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

QString caseDirKey(const QString &caseDir)
{
    const QString canonical = QFileInfo(caseDir).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(caseDir).absolutePath()) : canonical;
}

SolverRuns::SolverRuns(QObject *parent, int intervalMs, SolverRun::Probe probe)
    : QObject(parent), m_probe(std::move(probe))
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &SolverRuns::poll);
}

SolverRun *SolverRuns::find(const QString &caseDir) const
{
    const QString key = caseDirKey(caseDir);
    const auto it = std::find_if(m_runs.begin(), m_runs.end(),
                                 [&key](const auto &run) { return run->caseDir() == key; });
    return it == m_runs.end() ? nullptr : it->get();
}

void SolverRuns::follow(const QString &caseName, const QString &caseDir, qint64 pid)
{
    const QString key = caseDirKey(caseDir);
    m_runs.erase(std::remove_if(m_runs.begin(), m_runs.end(),
                                [&key](const auto &run) { return run->caseDir() == key; }),
                 m_runs.end());
    m_runs.push_back(std::make_unique<SolverRun>(caseName, key, pid, m_probe));
    m_timer.start();
    emit changed();
}

const SolverRun *SolverRuns::latest(const QString &caseDir) const
{
    return find(caseDir);
}

const SolverRun *SolverRuns::activeOn(const QString &caseDir) const
{
    const SolverRun *run = find(caseDir);
    return run && run->isActive() ? run : nullptr;
}

bool SolverRuns::stop(const QString &caseDir)
{
    SolverRun *run = find(caseDir);
    return run && run->stop();
}

void SolverRuns::poll()
{
    bool anyChanged = false;
    bool anyActive = false;
    QList<std::pair<QString, QString>> failures;
    for (const auto &run : m_runs) {
        const bool wasActive = run->isActive();
        anyChanged |= run->poll();
        anyActive |= run->isActive();
        if (wasActive && run->phase() == SolverRun::Phase::Failed)
            failures.append({run->caseName(), run->failure()});
    }
    if (!anyActive)
        m_timer.stop();
    // Receivers may start runs of their own: the list is left alone by now.
    if (anyChanged)
        emit changed();
    for (const auto &[caseName, reason] : failures)
        emit failed(caseName, reason);
}

QStringList SolverRuns::statusLines() const
{
    QStringList lines;
    for (auto it = m_runs.rbegin(); it != m_runs.rend(); ++it)
        lines << (*it)->statusText();
    return lines;
}

QString SolverRuns::statusSummary() const
{
    const QStringList lines = statusLines();
    QString summary = lines.mid(0, shownRuns).join(QStringLiteral("   |   "));
    if (lines.size() > shownRuns)
        summary += tr("   (%n more)", nullptr, int(lines.size() - shownRuns));
    return summary;
}
