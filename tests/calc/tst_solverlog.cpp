// Following a solver run without a window: the run log's parser and follower,
// the run's phase, the set of runs and the liveness of a detached process.
#include "calc/detachedprocess.h"
#include "calc/logfollower.h"
#include "calc/solverlog.h"
#include "calc/solverruns.h"
#include "formats/solverlog.h"

#include <QBuffer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using SolverLog::State;
using End = SolverLog::State::End;
using Phase = SolverRun::Phase;

Q_DECLARE_METATYPE(SolverLog::State)
Q_DECLARE_METATYPE(LogFollower::Look)
Q_DECLARE_METATYPE(SolverRun::Phase)

namespace {

QByteArray fixture(const QString &name)
{
    QFile file(QFINDTESTDATA("data/solverlog/" + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

State state(std::optional<double> target, std::optional<double> reached, End end = End::None,
            int exitStatus = 0, const QString &error = QString())
{
    State s;
    s.target = target;
    s.reached = reached;
    s.end = end;
    s.exitStatus = exitStatus;
    s.error = error;
    return s;
}

char *describe(const State &s)
{
    return qstrdup(QStringLiteral("target %1, reached %2, end %3, status %4, error \"%5\"")
                       .arg(s.target ? QString::number(*s.target) : QStringLiteral("-"),
                            s.reached ? QString::number(*s.reached) : QStringLiteral("-"))
                       .arg(int(s.end))
                       .arg(s.exitStatus)
                       .arg(s.error)
                       .toUtf8());
}

bool writeFile(const QString &fileName, const QByteArray &content, QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    QFile file(fileName);
    return file.open(mode) && file.write(content) == content.size();
}

QByteArray line(const char *prefix, const char *rest)
{
    return QByteArray(prefix) + rest + '\n';
}

} // namespace

namespace SolverLog {
char *toString(const State &s) { return describe(s); }
}

class TstSolverLog : public QObject
{
    Q_OBJECT

private slots:
    void parsesFixtures_data();
    void parsesFixtures();
    void anySplitGivesTheSameState_data() { parsesFixtures_data(); }
    void anySplitGivesTheSameState();
    void unfinishedLineWaitsForItsEnd();
    void unreadableDeviceIsReported();

    void followerReadsOnlyWhatWasAppended();
    void followerStartsAgainOnRewrittenLog_data();
    void followerStartsAgainOnRewrittenLog();
    void followerForgetsRemovedLog();
    void followerNamesUnreadableLog();

    void phaseFromLogAndProcess_data();
    void phaseFromLogAndProcess();
    void runFollowsItsLog();
    void runThatVanishesTakesItsLastUnfinishedLine();
    void statusTexts_data();
    void statusTexts();
    void runTimes_data();
    void runTimes();

    void runsOnePerCaseLatestFirst();
    void failureSignalledOnce();

    void livenessOfRealProcesses();
};

void TstSolverLog::parsesFixtures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<State>("expected");

    QTest::newRow("finished") << "finished.log" << state(120, 120, End::Finished);
    QTest::newRow("bad input") << "badinput.log"
                               << state({}, {}, End::Stopped, 1,
                                        "../InputCylinder.txt: phiMax must lie in (0, 360000] deg");
    QTest::newRow("diverged") << "diverged.log"
                              << state(120, 90, End::Stopped, 3,
                                       "the computation diverged at crank angle 97.3 deg: pressure -12 Pa");
    QTest::newRow("error without exit status")
        << "errorwithoutstatus.log"
        << state(120, 30, End::None, 0, "../Case680mm/side/side031.txt: write failed: No space left on device");
    QTest::newRow("CRLF line ends") << "running_crlf.log" << state(120, 60);
    // A whole log taken as it stands: its unfinished last line counts.
    QTest::newRow("partial last line") << "partial.log" << state(120, 6);
    QTest::newRow("empty") << "" << state({}, {});
}

void TstSolverLog::parsesFixtures()
{
    QFETCH(QString, file);
    QFETCH(State, expected);
    QByteArray content = file.isEmpty() ? QByteArray() : fixture(file);
    QVERIFY(file.isEmpty() || !content.isEmpty());
    QBuffer buffer(&content);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QString error;
    const std::optional<State> parsed = SolverLog::parse(buffer, &error);
    QVERIFY2(parsed, qPrintable(error));
    QCOMPARE(*parsed, expected);
}

// A log is read in whatever pieces the writer has flushed: a split inside a
// number or between CR and LF must not change what is understood.
void TstSolverLog::anySplitGivesTheSameState()
{
    QFETCH(QString, file);
    QFETCH(State, expected);
    const QByteArray content = file.isEmpty() ? QByteArray() : fixture(file);
    for (qsizetype split = 0; split <= content.size(); ++split) {
        SolverLog::Reader reader;
        for (const QByteArray &piece : {content.left(split), content.mid(split)}) {
            QByteArray bytes = piece;
            QBuffer buffer(&bytes);
            QVERIFY(buffer.open(QIODevice::ReadOnly));
            QVERIFY(reader.read(buffer));
        }
        reader.finish();
        QVERIFY2(reader.state() == expected, qPrintable(QStringLiteral("split at %1").arg(split)));
    }
}

void TstSolverLog::unfinishedLineWaitsForItsEnd()
{
    QByteArray content = fixture("partial.log");
    QBuffer buffer(&content);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    SolverLog::Reader reader;
    QVERIFY(reader.read(buffer));
    QCOMPARE(reader.state().reached, std::optional<double>(30));

    content.append("0 deg: p 1973539.3 Pa\n");
    QVERIFY(reader.read(buffer));
    QCOMPARE(reader.state().reached, std::optional<double>(60));
}

void TstSolverLog::unreadableDeviceIsReported()
{
    QBuffer closed;
    SolverLog::Reader reader;
    QVERIFY(!reader.read(closed));
    QVERIFY(!reader.errorString().isEmpty());
    QString error;
    QVERIFY(!SolverLog::parse(closed, &error));
    QCOMPARE(error, reader.errorString());
}

void TstSolverLog::followerReadsOnlyWhatWasAppended()
{
    QTemporaryDir dir;
    const QString log = dir.filePath("euler.log");
    LogFollower follower(log);
    QCOMPARE(follower.look(), LogFollower::Look::Missing);

    const QByteArray content = fixture("finished.log");
    const qsizetype cut = content.indexOf("crank angle 90");
    QVERIFY(writeFile(log, content.left(cut + 5)));
    QCOMPARE(follower.look(), LogFollower::Look::Appended);
    QCOMPARE(follower.state(), state(120, 60));
    QCOMPARE(follower.look(), LogFollower::Look::Unchanged);

    // What was read is never read again: bytes changed there go unseen.
    QVERIFY(writeFile(log, content.mid(cut + 5), QIODevice::Append));
    QCOMPARE(follower.look(), LogFollower::Look::Appended);
    QCOMPARE(follower.state(), state(120, 120, End::Finished));
}

void TstSolverLog::followerStartsAgainOnRewrittenLog_data()
{
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<LogFollower::Look>("look");
    QTest::addColumn<State>("expected");

    const QByteArray first = fixture("finished.log");
    QTest::newRow("a shorter log") << fixture("badinput.log") << LogFollower::Look::Restarted
                                   << state({}, {}, End::Stopped, 1,
                                            "../InputCylinder.txt: phiMax must lie in (0, 360000] deg");
    QTest::newRow("a longer log of another run")
        << (QByteArray(first).replace("4760 time steps", "4761 time steps") + "more\n")
        << LogFollower::Look::Restarted
        << state(120, 120, End::Finished);
    QTest::newRow("a new run not yet as far") << fixture("running_crlf.log") << LogFollower::Look::Restarted
                                              << state(120, 60);
    QTest::newRow("the same bytes and more") << (first + line(formats::solverlog::progressPrefix, "150 deg"))
                                             << LogFollower::Look::Appended << state(120, 150, End::Finished);
}

void TstSolverLog::followerStartsAgainOnRewrittenLog()
{
    QFETCH(QByteArray, second);
    QFETCH(LogFollower::Look, look);
    QFETCH(State, expected);
    QTemporaryDir dir;
    const QString log = dir.filePath("euler.log");
    QVERIFY(writeFile(log, fixture("finished.log")));
    LogFollower follower(log);
    QCOMPARE(follower.look(), LogFollower::Look::Appended);

    QVERIFY(writeFile(log, second));
    QCOMPARE(follower.look(), look);
    QCOMPARE(follower.state(), expected);
}

void TstSolverLog::followerForgetsRemovedLog()
{
    QTemporaryDir dir;
    const QString log = dir.filePath("euler.log");
    QVERIFY(writeFile(log, fixture("finished.log")));
    LogFollower follower(log);
    follower.look();
    QVERIFY(QFile::remove(log));
    QCOMPARE(follower.look(), LogFollower::Look::Missing);
    QCOMPARE(follower.state(), State());
    QCOMPARE(follower.errorString(), QString());
}

void TstSolverLog::followerNamesUnreadableLog()
{
    QTemporaryDir dir;
    const QString log = dir.filePath("euler.log");
    QVERIFY(QDir(dir.path()).mkdir("euler.log"));
    LogFollower follower(log);
    QCOMPARE(follower.look(), LogFollower::Look::Unreadable);
    QVERIFY2(follower.errorString().startsWith(log + ": "), qPrintable(follower.errorString()));
}

void TstSolverLog::phaseFromLogAndProcess_data()
{
    QTest::addColumn<State>("log");
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("stopAsked");
    QTest::addColumn<Phase>("phase");

    QTest::newRow("no log yet") << State() << true << false << Phase::Starting;
    QTest::newRow("target named") << state(720, {}) << true << false << Phase::Running;
    QTest::newRow("progress") << state(720, 120) << true << false << Phase::Running;
    QTest::newRow("last line before the process ends") << state(720, 720, End::Finished) << true << false
                                                       << Phase::Finished;
    QTest::newRow("finished") << state(720, 720, End::Finished) << false << false << Phase::Finished;
    QTest::newRow("stopped with status") << state(720, 250, End::Stopped, 3, "diverged") << true << false
                                         << Phase::Failed;
    QTest::newRow("error, then gone") << state(720, 30, End::None, 0, "write failed") << false << false
                                      << Phase::Failed;
    QTest::newRow("gone without a last line") << state(720, 120) << false << false << Phase::Vanished;
    QTest::newRow("gone without a log") << State() << false << false << Phase::Vanished;
    QTest::newRow("stopped by the user") << state(720, 120) << false << true << Phase::Stopped;
    QTest::newRow("stop asked, still going") << state(720, 120) << true << true << Phase::Running;
    QTest::newRow("stop asked, finished first") << state(720, 720, End::Finished) << false << true
                                                << Phase::Finished;
}

void TstSolverLog::phaseFromLogAndProcess()
{
    QFETCH(State, log);
    QFETCH(bool, running);
    QFETCH(bool, stopAsked);
    QFETCH(Phase, phase);
    QCOMPARE(SolverRun::phaseOf(log, running, stopAsked), phase);
}

void TstSolverLog::runFollowsItsLog()
{
    QTemporaryDir dir;
    bool alive = true;
    SolverRun run("Case680mm", dir.path(), 4711, [&alive](qint64 pid) { return pid == 4711 && alive; });
    QVERIFY(!run.poll());
    QCOMPARE(run.statusText(), QString("Case680mm: solver starting"));

    const QByteArray content = fixture("finished.log");
    QVERIFY(writeFile(dir.filePath("euler.log"), content.left(content.indexOf("crank angle 90"))));
    QVERIFY(run.poll());
    QCOMPARE(run.statusText(), QString("Case680mm: solver at 60 of 120 deg"));
    QVERIFY(!run.poll());
    QVERIFY(run.isActive());

    QVERIFY(writeFile(dir.filePath("euler.log"), content));
    QVERIFY(run.poll());
    QCOMPARE(run.phase(), Phase::Finished);
    QVERIFY(!run.isActive());
    const qint64 runTime = run.runTimeMs();
    QTest::qWait(20);
    QCOMPARE(run.runTimeMs(), runTime);
    // An ended run is not looked at again.
    alive = false;
    QVERIFY(!run.poll());
    QCOMPARE(run.phase(), Phase::Finished);
}

void TstSolverLog::runThatVanishesTakesItsLastUnfinishedLine()
{
    QTemporaryDir dir;
    bool alive = true;
    SolverRun run("C", dir.path(), 1, [&alive](qint64) { return alive; });
    QVERIFY(writeFile(dir.filePath("euler.log"), fixture("partial.log")));
    run.poll();
    QCOMPARE(run.log().reached, std::optional<double>(30));
    alive = false;
    QVERIFY(run.poll());
    QCOMPARE(run.phase(), Phase::Vanished);
    QCOMPARE(run.log().reached, std::optional<double>(6));
    QCOMPARE(run.statusText(), QString("C: solver ended without a result"));
}

void TstSolverLog::statusTexts_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("expected");

    QTest::newRow("target, no progress") << "targetonly" << true << "C: solver at 0 of 720 deg";
    QTest::newRow("progress without target") << "progressonly" << true << "C: solver at 12.5 deg";
    QTest::newRow("failed with reason") << "diverged.log" << false
                                        << "C: solver failed: the computation diverged at crank angle 97.3 deg: "
                                           "pressure -12 Pa";
    QTest::newRow("failed without reason") << "statusonly" << false << "C: solver failed: exit status 2";
    QTest::newRow("error, no exit status") << "errorwithoutstatus.log" << false
                                           << "C: solver failed: ../Case680mm/side/side031.txt: write failed: "
                                              "No space left on device";
}

void TstSolverLog::statusTexts()
{
    QFETCH(QString, log);
    QFETCH(bool, running);
    QFETCH(QString, expected);
    const QHash<QString, QByteArray> written{
        {"targetonly", line(formats::solverlog::targetPrefix, "720 deg: 720 result steps")},
        {"progressonly", line(formats::solverlog::progressPrefix, "12.5 deg: p 1 Pa")},
        {"statusonly", line(formats::solverlog::stoppedPrefix, "2.")},
    };
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("euler.log"), written.value(log, log.endsWith(".log") ? fixture(log) : "")));
    SolverRun run("C", dir.path(), 1, [running](qint64) { return running; });
    run.poll();
    QCOMPARE(run.statusText(), expected);
}

void TstSolverLog::runTimes_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "0 s";
    QTest::newRow("rounded up") << qint64(1500) << "2 s";
    QTest::newRow("just under a minute") << qint64(59499) << "59 s";
    QTest::newRow("a minute") << qint64(59500) << "1 min 0 s";
    QTest::newRow("minutes") << qint64(125000) << "2 min 5 s";
    QTest::newRow("an hour") << qint64(3600000) << "1 h 0 min";
    QTest::newRow("hours") << qint64(3 * 3600000 + 7 * 60000 + 40000) << "3 h 8 min";
}

void TstSolverLog::runTimes()
{
    QFETCH(qint64, ms);
    QFETCH(QString, text);
    QCOMPARE(formatRunTime(ms), text);
}

void TstSolverLog::runsOnePerCaseLatestFirst()
{
    QTemporaryDir dir;
    for (const char *name : {"A", "B", "C", "D"})
        QVERIFY(QDir(dir.path()).mkdir(name));
    QSet<qint64> alive{1, 2, 3, 4};
    SolverRuns runs(nullptr, 10, [&alive](qint64 pid) { return alive.contains(pid); });
    QSignalSpy changed(&runs, &SolverRuns::changed);
    runs.follow("A", dir.filePath("A"), 1);
    runs.follow("B", dir.filePath("B"), 2);
    QCOMPARE(changed.size(), 2);
    QCOMPARE(runs.statusLines(), (QStringList{"B: solver starting", "A: solver starting"}));
    QVERIFY(runs.activeOn(dir.filePath("A/../A")));

    alive.remove(1);
    QTRY_COMPARE(runs.statusLines(), (QStringList{"B: solver starting", "A: solver ended without a result"}));
    QVERIFY(!runs.activeOn(dir.filePath("A")));
    QCOMPARE(runs.latest(dir.filePath("A"))->phase(), Phase::Vanished);

    // A new run of a case takes the place of its last one, at the front.
    runs.follow("A", dir.filePath("A") + "/", 3);
    runs.follow("C", dir.filePath("C"), 4);
    runs.follow("D", dir.filePath("D"), 5);
    QCOMPARE(runs.statusLines().size(), 4);
    QCOMPARE(runs.statusSummary(),
             QString("D: solver starting   |   C: solver starting   |   A: solver starting   (1 more)"));
    QVERIFY(!runs.latest(dir.filePath("E")));

    // Once nothing goes on, nothing is looked at any more.
    alive.clear();
    QTRY_VERIFY(!runs.activeOn(dir.filePath("C")));
    const qsizetype changes = changed.size();
    QTest::qWait(50);
    QCOMPARE(changed.size(), changes);
}

void TstSolverLog::failureSignalledOnce()
{
    QTemporaryDir dir;
    bool alive = true;
    SolverRuns runs(nullptr, 5, [&alive](qint64) { return alive; });
    QSignalSpy failed(&runs, &SolverRuns::failed);
    runs.follow("C", dir.path(), 1);
    QVERIFY(writeFile(dir.filePath("euler.log"), fixture("diverged.log")));
    QTRY_COMPARE(failed.size(), 1);
    alive = false;
    QTest::qWait(50);
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first().at(0).toString(), QString("C"));
    QCOMPARE(failed.first().at(1).toString(), QString("the computation diverged at crank angle 97.3 deg: pressure -12 Pa"));
}

void TstSolverLog::livenessOfRealProcesses()
{
    QVERIFY(DetachedProcess::isRunning(QCoreApplication::applicationPid()));
    QVERIFY(!DetachedProcess::isRunning(0));
    QVERIFY(!DetachedProcess::isRunning(-1));

    QProcess ended;
    ended.start("sh", {"-c", "exit 0"});
    QVERIFY(ended.waitForStarted());
    const qint64 endedPid = ended.processId();
    QVERIFY(ended.waitForFinished());
    QVERIFY(!DetachedProcess::isRunning(endedPid));

    // Detached, as the solver is: nobody here waits for it when it ends.
    qint64 pid = 0;
    QVERIFY(QProcess::startDetached("sleep", {"30"}, QString(), &pid));
    QVERIFY(DetachedProcess::isRunning(pid));
    QVERIFY(DetachedProcess::stop(pid));
    QTRY_VERIFY(!DetachedProcess::isRunning(pid));
}

QTEST_GUILESS_MAIN(TstSolverLog)
#include "tst_solverlog.moc"
