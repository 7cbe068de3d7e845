#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QString>
#include <QStringList>

class QFile;
class QObject;
class QProcess;

// How one run of the plotting program ended.
struct JobOutcome
{
    Q_DECLARE_TR_FUNCTIONS(JobOutcome)

public:
    enum Status { Finished, FailedToStart, TimedOut, Crashed };
    Status status = FailedToStart;
    int exitCode = -1;
    QString errorOutput;   // what the program wrote to its error channel
    QString errorString;   // the system's reason when it could not start

    bool succeeded() const { return status == Finished && exitCode == 0; }
    // A one-line description for messages ("timed out after 60 s", ...).
    QString describe() const;
};

// Runs "./wgnuplot.exe" on script files in a directory: the current one, or
// the one given, without moving the process's current directory. One process
// object serves all runs of a job; it belongs to the given parent.
class GnuplotJob
{
public:
    static QString program() { return QStringLiteral("./wgnuplot.exe"); }
    // Generous bound for one map: a run that exceeds it is stopped and reported.
    static constexpr int defaultTimeoutMs = 120000;

    explicit GnuplotJob(QObject *processParent, const QString &directory = QString());

    // Starts the program on scriptName and waits until it ends or timeoutMs
    // passes; a run past its bound is killed. The event loop keeps running while
    // waiting (without user input unless flags allow it), so the window repaints.
    JobOutcome run(const QString &scriptName, int timeoutMs = defaultTimeoutMs,
                   QEventLoop::ProcessEventsFlags flags = QEventLoop::ExcludeUserInputEvents);

private:
    QProcess *m_process;
    QString m_program;
};

// How a run of `process` ended, once it finished or failed to start; a run
// that still goes has passed its time and is killed here.
JobOutcome endRun(QProcess &process, bool failedToStart);

// Opens `file` write-only in text mode, empty. An old file of that name that
// may be written is removed rather than truncated: on ext4, a file truncated and written anew is
// forced to disk when closed, which costs milliseconds per script or map.
bool openEmptyForWriting(QFile &file);

// Writes script lines, each followed by a line end, to fileName (text mode,
// replacing the file). Returns false with the file's reason in *error.
bool writeScriptFile(const QString &fileName, const QStringList &lines, QString *error);

// The list form of the diagnostic lines: ("gp_d.txt", "gp_p.txt").
QString diagnosticList(const QStringList &items);

// Prints the two diagnostic lines of a job start: arguments= (...) and cmd= "...".
void printJobStart(const QStringList &arguments);
