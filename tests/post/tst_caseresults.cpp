// What a plot button finds in a case: no results, all of them, or as far as a
// run that goes on or failed has come.
#include "calc/solverrun.h"
#include "formats/solverlog.h"
#include "post/caseresults.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString caseName = QStringLiteral("C");

QByteArray logLine(const char *prefix, const char *rest)
{
    return QByteArray(prefix) + rest + '\n';
}

bool touch(const QString &fileName)
{
    QFile file(fileName);
    return QDir().mkpath(QFileInfo(fileName).absolutePath()) && file.open(QIODevice::WriteOnly);
}

} // namespace

class TstCaseResults : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void completeStepsStopsAtTheFirstGap();
};

void TstCaseResults::check_data()
{
    QTest::addColumn<QStringList>("files");   // relative to the case directory; "-" for no directory
    QTest::addColumn<QByteArray>("log");      // euler.log of the followed run
    QTest::addColumn<QString>("process");     // "" no run followed, "running", "ended"
    QTest::addColumn<int>("steps");           // asked for by phiMax
    QTest::addColumn<bool>("canPlot");
    QTest::addColumn<int>("plotSteps");
    QTest::addColumn<QString>("message");     // %1: the case directory

    using namespace formats::solverlog;
    const QStringList three{"Output.txt",      "head/head001.txt", "piston/piston001.txt", "side/side001.txt",
                            "head/head002.txt", "piston/piston002.txt", "side/side002.txt",
                            "head/head003.txt", "piston/piston003.txt", "side/side003.txt"};
    const QByteArray target = logLine(targetPrefix, "5 deg: 5 result steps");
    const QByteArray atTwo = target + logLine(progressPrefix, "2 deg: p 1 Pa");
    const QByteArray diverged = atTwo + logLine(errorPrefix, "the computation diverged at crank angle 3.4 deg")
                                + logLine(stoppedPrefix, "3.");
    const QString none = "The case \"C\" has no results yet: its case directory %1 holds no solver output. "
                         "Press \"Calculate\" first.";

    QTest::newRow("no case directory") << QStringList{"-"} << QByteArray() << "" << 5 << false << 0 << none;
    QTest::newRow("empty case directory") << QStringList() << QByteArray() << "" << 5 << false << 0 << none;
    QTest::newRow("field maps only") << QStringList{"side/side001.txt"} << QByteArray() << "" << 5 << true << 5
                                     << "";
    QTest::newRow("valve history only") << QStringList{"Output.txt"} << QByteArray() << "" << 5 << true << 5 << "";
    QTest::newRow("a later step only") << QStringList{"head/head002.txt"} << QByteArray() << "" << 5 << false
                                       << 0 << none;
    QTest::newRow("finished run") << three << (atTwo + logLine(finishedPrefix, "9 time steps.")) << "ended" << 5
                                  << true << 5 << "";
    QTest::newRow("running") << three << atTwo << "running" << 5 << true << 2
                             << "The solver of the case \"C\" is still running (at 2 of 5 deg): what it has "
                                "written so far is drawn. Steps 3 to 5 are missing.";
    QTest::newRow("running, one step to go")
        << three << (target + logLine(progressPrefix, "4.9 deg")) << "running" << 5 << true << 4
        << "The solver of the case \"C\" is still running (at 4.9 of 5 deg): what it has written so far is "
           "drawn. Step 5 is missing.";
    QTest::newRow("running past what is asked") << three << (target + logLine(progressPrefix, "5 deg"))
                                                << "running" << 3 << true << 3
                                                << "The solver of the case \"C\" is still running (at 5 of 5 "
                                                   "deg): what it has written so far is drawn.";
    QTest::newRow("just started") << three << target << "running" << 5 << false << 0
                                  << "The case \"C\" has no results yet: its solver has only just started.";
    QTest::newRow("failed") << three << diverged << "ended" << 5 << true << 3
                            << "The solver run of the case \"C\" failed: the computation diverged at crank angle "
                               "3.4 deg. What it wrote before it ended is drawn. Steps 4 to 5 are missing.";
    QStringList gap = three;
    gap.removeOne("piston/piston002.txt");
    QTest::newRow("failed, a file missing") << gap << diverged << "ended" << 5 << true << 1
                                            << "The solver run of the case \"C\" failed: the computation diverged "
                                               "at crank angle 3.4 deg. What it wrote before it ended is drawn. "
                                               "Steps 2 to 5 are missing.";
    QTest::newRow("vanished") << three << atTwo << "ended" << 3 << true << 3
                              << "The solver run of the case \"C\" ended without a result. What it wrote before "
                                 "it ended is drawn.";
    QTest::newRow("failed before any output")
        << QStringList() << (logLine(errorPrefix, "../InputCylinder.txt: phiMax must lie in (0, 360000] deg.")
                             + logLine(stoppedPrefix, "1."))
        << "ended" << 5 << false << 0
        << "The case \"C\" has no results yet: its solver run failed: ../InputCylinder.txt: phiMax must lie in "
           "(0, 360000] deg.";
}

void TstCaseResults::check()
{
    QFETCH(QStringList, files);
    QFETCH(QByteArray, log);
    QFETCH(QString, process);
    QFETCH(int, steps);
    QFETCH(bool, canPlot);
    QFETCH(int, plotSteps);
    QFETCH(QString, message);

    QTemporaryDir root;
    const QString caseDir = root.filePath(caseName);
    if (files != QStringList{"-"}) {
        QVERIFY(QDir(root.path()).mkdir(caseName));
        for (const QString &file : files)
            QVERIFY(touch(caseDir + '/' + file));
    }
    std::unique_ptr<SolverRun> run;
    if (!process.isEmpty()) {
        QFile logFile(caseDir + '/' + formats::solverlog::fileName);
        QVERIFY(QDir().mkpath(caseDir) && logFile.open(QIODevice::WriteOnly));
        logFile.write(log);
        logFile.close();
        const bool running = process == "running";
        run = std::make_unique<SolverRun>(caseName, caseDir, 1, [running](qint64) { return running; });
        run->poll();
    }

    const CaseResults results = CaseResults::check(caseName, caseDir, steps, run.get());
    QCOMPARE(results.message(), message.arg(QDir::toNativeSeparators(caseDir)));
    QCOMPARE(results.canPlot(), canPlot);
    if (canPlot) {
        QCOMPARE(results.steps(), plotSteps);
        QCOMPARE(CaseResults::availableSteps(caseDir, steps, run.get()), plotSteps);
    }
}

void TstCaseResults::completeStepsStopsAtTheFirstGap()
{
    QTemporaryDir root;
    for (int step : {1, 2, 4})
        for (const QString surface : {"head", "piston", "side"})
            QVERIFY(touch(root.filePath(QStringLiteral("%1/%1%2.txt").arg(surface).arg(step, 3, 10, QChar('0')))));
    QCOMPARE(CaseResults::completeSteps(root.path(), 5), 2);
    QCOMPARE(CaseResults::completeSteps(root.path(), 1), 1);
    QCOMPARE(CaseResults::completeSteps(root.path(), 0), 0);
    // A directory of a result file's name holds no result.
    QVERIFY(QFile::remove(root.filePath("side/side002.txt")));
    QVERIFY(QDir(root.path()).mkpath("side/side002.txt"));
    QCOMPARE(CaseResults::completeSteps(root.path(), 5), 1);
}

QTEST_GUILESS_MAIN(TstCaseResults)
#include "tst_caseresults.moc"
