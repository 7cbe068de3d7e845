#include "gnuplotjob.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <QTimer>

QString JobOutcome::describe() const
{
    switch (status) {
    case Finished:
        return exitCode == 0 ? tr("finished") : tr("ended with exit code %1").arg(exitCode);
    case FailedToStart:
        return tr("could not be started: %1").arg(errorString);
    case TimedOut:
        return tr("did not finish in time and was stopped");
    case Crashed:
        return tr("crashed");
    }
    return {};
}

GnuplotJob::GnuplotJob(QObject *processParent, const QString &directory)
    : m_process(new QProcess(processParent))
    , m_program(directory.isEmpty() ? program() : QDir::cleanPath(QDir(directory).absoluteFilePath(program())))
{
    if (!directory.isEmpty())
        m_process->setWorkingDirectory(directory);
}

JobOutcome GnuplotJob::run(const QString &scriptName, int timeoutMs,
                           QEventLoop::ProcessEventsFlags flags)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    auto finished = QObject::connect(m_process, &QProcess::finished, &loop, &QEventLoop::quit);
    bool startFailed = false;
    auto failed = QObject::connect(m_process, &QProcess::errorOccurred, &loop,
                                   [&loop, &startFailed](QProcess::ProcessError e) {
                                       if (e == QProcess::FailedToStart) {
                                           startFailed = true;
                                           loop.quit();
                                       }
                                   });

    m_process->start(m_program, {scriptName});
    if (!startFailed && m_process->state() != QProcess::NotRunning) {
        deadline.start(timeoutMs);
        loop.exec(flags);
    }
    QObject::disconnect(finished);
    QObject::disconnect(failed);
    return endRun(*m_process, startFailed);
}

JobOutcome endRun(QProcess &process, bool failedToStart)
{
    JobOutcome outcome;
    if (failedToStart) {
        outcome.status = JobOutcome::FailedToStart;
        outcome.errorString = process.errorString();
        return outcome;
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        outcome.status = JobOutcome::TimedOut;
    } else if (process.exitStatus() == QProcess::CrashExit) {
        outcome.status = JobOutcome::Crashed;
    } else {
        outcome.status = JobOutcome::Finished;
        outcome.exitCode = process.exitCode();
    }
    outcome.errorOutput = QString::fromLocal8Bit(process.readAllStandardError());
    process.readAllStandardOutput();
    return outcome;
}

bool openEmptyForWriting(QFile &file)
{
    // A file we may not write stays, so that opening it reports why.
    const QFileInfo info(file);
    if (info.exists() && info.isFile() && info.isWritable())
        QFile::remove(file.fileName());
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
}

bool writeScriptFile(const QString &fileName, const QStringList &lines, QString *error)
{
    QFile file(fileName);
    if (!openEmptyForWriting(file)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QTextStream out(&file);
    for (const QString &line : lines)
        out << line << Qt::endl;
    file.close();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QString diagnosticList(const QStringList &items)
{
    QStringList quoted;
    for (const QString &item : items)
        quoted << QLatin1Char('"') + item + QLatin1Char('"');
    return QLatin1Char('(') + quoted.join(QStringLiteral(", ")) + QLatin1Char(')');
}

void printJobStart(const QStringList &arguments)
{
    qDebug().noquote() << "arguments=" << diagnosticList(arguments);
    qDebug() << "cmd=" << GnuplotJob::program();
}
