// The window follows the solver runs it starts: a stand-in solver writes its
// log slowly and waits for the test's word before it finishes, fails or
// vanishes.
#include "kalvex.h"

#include "calc/detachedprocess.h"
#include "dialoganswerer.h"
#include "formats/solverlog.h"
#include "samplefields.h"
#include "syntheticcase.h"
#include "testworkspace.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

using namespace formats::solverlog;

QByteArray logLine(const char *prefix, const char *rest)
{
    return QByteArray(prefix) + rest;
}

const QByteArrayList upTo60{logLine(targetPrefix, "90 deg: 90 result steps, Output.txt every 0.1 deg."),
                            logLine(progressPrefix, "30 deg: p 2082201.7 Pa, T 302.8 K, steps 300"),
                            logLine(progressPrefix, "60 deg: p 1973539.3 Pa, T 299.5 K, steps 2455")};
const QByteArrayList finishing{logLine(progressPrefix, "90 deg: p 1970246.5 Pa, T 299.6 K, steps 3824"),
                               logLine(finishedPrefix, "3824 time steps.")};
const QByteArrayList failing{logLine(errorPrefix, "the computation diverged at crank angle 75 deg"),
                             logLine(stoppedPrefix, "3.")};

// Stands in for euler.exe, started in ExecutingFiles like the solver: finds
// its case in ../InputCylinder.txt, notes its process id in <case>/solver.pid,
// appends `lines` to <case>/euler.log one every 20 ms, waits until the test
// creates <case>/release (20 s at most), then appends `ending` and exits.
QByteArray fakeSolver(const QByteArrayList &lines, const QByteArrayList &ending, int exitCode)
{
    QByteArray script = "#!/bin/sh\n"
                        "dir=\"../$(sed -n 2p ../InputCylinder.txt | tr -d '\\r')\"\n"
                        "log=\"$dir/euler.log\"\n"
                        "echo $$ > \"$dir/solver.pid\"\n"
                        "say() { printf '%s\\n' \"$1\" >> \"$log\"; sleep 0.02; }\n";
    for (const QByteArray &line : lines)
        script += "say '" + line + "'\n";
    script += "n=0\nwhile [ ! -e \"$dir/release\" ] && [ $n -lt 1000 ]; do sleep 0.02; n=$((n+1)); done\n";
    for (const QByteArray &line : ending)
        script += "say '" + line + "'\n";
    return script + "exit " + QByteArray::number(exitCode) + "\n";
}


} // namespace

class TstRunMonitor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void statusBarShowsEachState_data();
    void statusBarShowsEachState();
    void secondCalculateOnRunningCaseRefused();
    void stopOfferEndsTheRun();
    void closingTheWindowLeavesRunsGoing();
    void noResultsInTheSameWords_data();
    void noResultsInTheSameWords();
    void plotsDrawWhatIsThere_data();
    void plotsDrawWhatIsThere();

private:
    void startWindow(const QByteArray &solver);
    void calculate(const QString &caseName, DialogAnswerer &dialogs);
    void release(const QString &caseName) const;
    qint64 solverPid(const QString &caseName) const;
    QString status() const { return m_window->findChild<QLabel *>("runStatus")->text(); }
    QString casePath(const QString &caseName, const QString &name = QString()) const
    {
        return m_ws->path(name.isEmpty() ? caseName : caseName + '/' + name);
    }

    std::unique_ptr<TestWorkspace> m_ws;
    std::unique_ptr<Kalvex> m_window;
};

void TstRunMonitor::init()
{
    m_ws = std::make_unique<TestWorkspace>();
    QVERIFY(m_ws->isValid());
    QVERIFY(m_ws->copyReferenceMesh(QFINDTESTDATA("data/reference_valve_pocket.msh")));
    QVERIFY(QDir::setCurrent(m_ws->executingDir()));
}

void TstRunMonitor::cleanup()
{
    // No stand-in outlives its test.
    for (const QString &caseName : QDir(m_ws->root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (QFile::exists(casePath(caseName, "solver.pid"))) {
            release(caseName);
            QTRY_VERIFY(!DetachedProcess::isRunning(solverPid(caseName)));
        }
    }
    m_window.reset();
    m_ws.reset();
}

void TstRunMonitor::startWindow(const QByteArray &solver)
{
    QVERIFY(m_ws->writeProgram("euler.exe", solver));
    m_window = std::make_unique<Kalvex>();
    const FieldTexts texts = sampleFieldTexts();
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        m_window->parameterField(it.key())->setText(it.value());
}

void TstRunMonitor::calculate(const QString &caseName, DialogAnswerer &dialogs)
{
    const qsizetype before = dialogs.messages().size();
    m_window->findChild<QLineEdit *>("lineEdit_CA")->setText(caseName);
    m_window->findChild<QPushButton *>("startEuler")->click();
    QCOMPARE(dialogs.messages().mid(before), QStringList());
}

void TstRunMonitor::release(const QString &caseName) const
{
    QFile(casePath(caseName, "release")).open(QIODevice::WriteOnly);
}

qint64 TstRunMonitor::solverPid(const QString &caseName) const
{
    QFile file(casePath(caseName, "solver.pid"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

void TstRunMonitor::statusBarShowsEachState_data()
{
    QTest::addColumn<QByteArrayList>("ending");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("last");      // a pattern
    QTest::addColumn<QStringList>("boxes"); // the failure's, once

    QTest::newRow("finishes") << finishing << 0 << "^Case680mm: solver finished in \\d+ s$" << QStringList();
    const QString reason = "the computation diverged at crank angle 75 deg";
    QTest::newRow("fails") << failing << 3 << QRegularExpression::escape("Case680mm: solver failed: " + reason)
                           << QStringList{"The solver run of the case \"Case680mm\" failed:\n" + reason};
    QTest::newRow("vanishes") << QByteArrayList() << 9 << "^Case680mm: solver ended without a result$"
                              << QStringList();
}

void TstRunMonitor::statusBarShowsEachState()
{
    QFETCH(QByteArrayList, ending);
    QFETCH(int, exitCode);
    QFETCH(QString, last);
    QFETCH(QStringList, boxes);
    startWindow(fakeSolver(upTo60, ending, exitCode));
    QCOMPARE(status(), QString());
    DialogAnswerer dialogs;

    calculate("Case680mm", dialogs);
    QCOMPARE(status(), QString("Case680mm: solver starting"));
    QTRY_COMPARE(status(), QString("Case680mm: solver at 60 of 90 deg"));
    release("Case680mm");
    QTRY_VERIFY2(QRegularExpression(last).match(status()).hasMatch(), qPrintable(status()));
    QTest::qWait(100); // the run is looked at no more, its failure not told again
    QCOMPARE(dialogs.messages(), boxes);
    QVERIFY(QRegularExpression(last).match(status()).hasMatch());
}

void TstRunMonitor::secondCalculateOnRunningCaseRefused()
{
    startWindow(fakeSolver(upTo60, finishing, 0));
    DialogAnswerer dialogs;
    calculate("Case680mm", dialogs);
    QTRY_COMPARE(status(), QString("Case680mm: solver at 60 of 90 deg"));
    const QStringList before = m_ws->listing();

    dialogs.clickButton("Keep it running");
    m_window->findChild<QPushButton *>("startEuler")->click();
    QCOMPARE(dialogs.titles(), QStringList{"Calculation not started"});
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().startsWith(
                 "The solver is still running on the case \"Case680mm\" (Case680mm: solver at 60 of 90 deg)."),
             qPrintable(dialogs.messages().first()));
    QCOMPARE(m_ws->listing(), before);
    QVERIFY(DetachedProcess::isRunning(solverPid("Case680mm")));

    // Another case runs beside it; the latest started comes first.
    calculate("Case500mm", dialogs);
    QTRY_COMPARE(status(), QString("Case500mm: solver at 60 of 90 deg   |   Case680mm: solver at 60 of 90 deg"));
    release("Case680mm");
    QTRY_VERIFY2(status().startsWith("Case500mm: solver at 60 of 90 deg   |   Case680mm: solver finished in "),
                 qPrintable(status()));
    release("Case500mm");
    QTRY_VERIFY2(QRegularExpression("^Case500mm: solver finished in \\d+ s   \\|   Case680mm: solver finished")
                     .match(status())
                     .hasMatch(),
                 qPrintable(status()));
    QCOMPARE(dialogs.messages().size(), 1);
}

void TstRunMonitor::stopOfferEndsTheRun()
{
    startWindow(fakeSolver(upTo60, finishing, 0));
    DialogAnswerer dialogs;
    calculate("Case680mm", dialogs);
    QTRY_COMPARE(status(), QString("Case680mm: solver at 60 of 90 deg"));
    const qint64 pid = solverPid("Case680mm");

    dialogs.clickButton("Stop the solver");
    m_window->findChild<QPushButton *>("startEuler")->click();
    QCOMPARE(dialogs.messages().size(), 1);
    QTRY_COMPARE(status(), QString("Case680mm: solver stopped"));
    QVERIFY(!DetachedProcess::isRunning(pid));

    // Once it has stopped the case may be calculated again.
    calculate("Case680mm", dialogs);
    QTRY_COMPARE(status(), QString("Case680mm: solver at 60 of 90 deg"));
    QVERIFY(solverPid("Case680mm") != pid);
}

void TstRunMonitor::closingTheWindowLeavesRunsGoing()
{
    startWindow(fakeSolver(upTo60, finishing, 0));
    {
        DialogAnswerer dialogs(DialogAnswerer::Strict);
        calculate("Case680mm", dialogs);
        QTRY_COMPARE(status(), QString("Case680mm: solver at 60 of 90 deg"));
        m_window->show();
        QVERIFY(m_window->close());
        m_window.reset();
        QTest::qWait(50);
        QVERIFY(dialogs.unexpected().isEmpty());
    }
    QVERIFY(DetachedProcess::isRunning(solverPid("Case680mm")));

    // A new window knows nothing of it.
    m_window = std::make_unique<Kalvex>();
    QCOMPARE(status(), QString());
    QTest::qWait(50);
    QCOMPARE(status(), QString());
}

void TstRunMonitor::noResultsInTheSameWords_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("caseDirExists");
    for (const bool exists : {false, true}) {
        const char *where = exists ? "empty case directory" : "no case directory";
        QTest::addRow("%s, field maps", where) << "plothps" << "Field maps" << exists;
        QTest::addRow("%s, valves", where) << "plotresults" << "Plot valve results" << exists;
        QTest::addRow("%s, coefficients", where) << "plotalpha" << "Plot heat transfer coefficient" << exists;
    }
}

void TstRunMonitor::noResultsInTheSameWords()
{
    QFETCH(QString, button);
    QFETCH(QString, title);
    QFETCH(bool, caseDirExists);
    startWindow(fakeSolver({}, {}, 0));
    if (caseDirExists)
        QVERIFY(QDir(m_ws->root()).mkpath("Case680mm/head"));
    const QStringList before = m_ws->listing();
    DialogAnswerer dialogs;

    m_window->findChild<QPushButton *>(button)->click();

    QCOMPARE(dialogs.titles(), QStringList{title});
    QCOMPARE(dialogs.messages(),
             QStringList{QString("The case \"Case680mm\" has no results yet: its case directory %1 holds no "
                                 "solver output. Press \"Calculate\" first.")
                             .arg(QDir::toNativeSeparators(casePath("Case680mm")))});
    QCOMPARE(m_ws->listing(), before);
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
}

void TstRunMonitor::plotsDrawWhatIsThere_data()
{
    QTest::addColumn<QByteArrayList>("ending");
    QTest::addColumn<QString>("state");   // the status line to wait for
    QTest::addColumn<QString>("message"); // the plot's note
    QTest::addColumn<int>("drawn");       // steps with maps

    QTest::newRow("running") << QByteArrayList() << "Case680mm: solver at 2 of 5 deg"
                             << "The solver of the case \"Case680mm\" is still running (at 2 of 5 deg): what it "
                                "has written so far is drawn. Steps 3 to 5 are missing."
                             << 2;
    QTest::newRow("failed") << failing << "Case680mm: solver failed: the computation diverged at crank angle 75 deg"
                            << "The solver run of the case \"Case680mm\" failed: the computation diverged at crank "
                               "angle 75 deg. What it wrote before it ended is drawn. Steps 4 to 5 are missing."
                            << 3;
}

// Three steps of results lie there; the log tells how far the run has come.
void TstRunMonitor::plotsDrawWhatIsThere()
{
    QFETCH(QByteArrayList, ending);
    QFETCH(QString, state);
    QFETCH(QString, message);
    QFETCH(int, drawn);
    if (QStandardPaths::findExecutable("gnuplot").isEmpty())
        QSKIP("gnuplot is not installed");
    QVERIFY(m_ws->installGnuplot());
    QString error;
    QVERIFY2(SyntheticCase::write(casePath("Case680mm"), 3, {3, 8}, {4, 12}, &error), qPrintable(error));
    startWindow(fakeSolver({logLine(targetPrefix, "5 deg: 5 result steps"), logLine(progressPrefix, "2 deg")},
                           ending, ending.isEmpty() ? 0 : 3));
    m_window->findChild<QLineEdit *>("lineEdit_PA_16")->setText("5");
    DialogAnswerer dialogs;
    calculate("Case680mm", dialogs);
    QTRY_COMPARE(status(), QString("Case680mm: solver at 2 of 5 deg"));
    if (!ending.isEmpty())
        release("Case680mm");
    QTRY_COMPARE(status(), state);
    QTRY_COMPARE(dialogs.messages().size(), ending.isEmpty() ? 0 : 1);
    const qsizetype before = dialogs.messages().size();

    m_window->findChild<QPushButton *>("plothps")->click();
    QCOMPARE(dialogs.messages().mid(before), QStringList{message});
    for (const QString surface : {"head", "piston", "side"}) {
        const QStringList maps = QDir(casePath("Case680mm", surface)).entryList({"*_density.png"}, QDir::Files);
        QCOMPARE(maps.size(), drawn);
    }

    m_window->findChild<QPushButton *>("plotalpha")->click();
    QCOMPARE(dialogs.messages().mid(before + 1), QStringList{message});
    QFile table(casePath("Case680mm", "alpha_on_HPS.txt"));
    QVERIFY(table.open(QIODevice::ReadOnly));
    QCOMPARE(table.readAll().count('\n'), drawn);
}

QTEST_MAIN(TstRunMonitor)
#include "tst_runmonitor.moc"
