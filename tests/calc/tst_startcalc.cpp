#include "kalvex.h"

#include "dialoganswerer.h"
#include "samplefields.h"
#include "testworkspace.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

namespace {

QStringList *capturedDebug = nullptr;
QtMessageHandler previousHandler = nullptr;

void captureDebug(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg && capturedDebug)
        capturedDebug->append(message);
    else if (previousHandler)
        previousHandler(type, context, message);
}

// Stands in for euler.exe: records its arguments and working directory in
// ROOT/launch.log, written whole so that a reader never sees half of it.
const QByteArray recordingSolver =
    "#!/bin/sh\n"
    "log=\"$(dirname \"$0\")/../launch.log\"\n"
    "{ echo \"args=$#\"; for a in \"$@\"; do echo \"arg=[$a]\"; done;"
    " echo \"cwd=$(pwd -P)\"; } > \"$log.tmp\" && mv \"$log.tmp\" \"$log\"\n";

bool prepare(const TestWorkspace &ws)
{
    return ws.isValid() && ws.writeProgram(QStringLiteral("euler.exe"), recordingSolver)
        && ws.copyReferenceMesh(QFINDTESTDATA("data/reference_valve_pocket.msh"));
}

QString launchLog(const TestWorkspace &ws)
{
    return ws.path(QStringLiteral("launch.log"));
}

struct RunResult
{
    QStringList titles;
    QStringList messages;
    QStringList debugLines;
};

// Presses "Calculate" and answers whatever it shows.
RunResult pressCalculate(Kalvex &window)
{
    QStringList debugLines;
    capturedDebug = &debugLines;
    previousHandler = qInstallMessageHandler(captureDebug);
    RunResult result;
    {
        DialogAnswerer answerer;
        window.findChild<QPushButton *>(QStringLiteral("startEuler"))->click();
        result.titles = answerer.titles();
        result.messages = answerer.messages();
    }
    qInstallMessageHandler(previousHandler);
    capturedDebug = nullptr;
    result.debugLines = debugLines;
    return result;
}

void fill(Kalvex &window, const FieldTexts &texts)
{
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        window.parameterField(it.key())->setText(it.value());
}


QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QStringList inputFiles{"InputCylinder.txt", "InputValves.txt", "InputPocketMesh.txt"};

} // namespace

// "Calculate" from the real window in a temporary workspace with a stand-in solver.
class TstStartCalc : public QObject
{
    Q_OBJECT

private slots:
    void runLaysDownCaseAndStartsSolver();
    void secondRunKeepsResultsAndOverwritesInputs();
    void refusalTouchesNothing_data();
    void refusalTouchesNothing();
    void failedStepStopsRun_data();
    void failedStepStopsRun();
    void solverThatCannotStartIsReported();
};

void TstStartCalc::runLaysDownCaseAndStartsSolver()
{
    TestWorkspace ws;
    QVERIFY(prepare(ws));
    QVERIFY(QDir::setCurrent(ws.executingDir()));
    Kalvex window;
    fill(window, sampleFieldTexts());

    const RunResult run = pressCalculate(window);

    QCOMPARE(run.messages, QStringList());
    QCOMPARE(QDir::currentPath(), ws.executingDir());
    for (const char *sub : {"head", "piston", "side"})
        QVERIFY(QFileInfo(ws.root() + "/Case680mm/" + sub).isDir());
    for (const QString &name : inputFiles) {
        const QByteArray rootCopy = contents(ws.root() + '/' + name);
        QVERIFY2(!rootCopy.isEmpty(), qPrintable(name));
        QCOMPARE(contents(ws.root() + "/Case680mm/" + name), rootCopy);
    }
    QVERIFY(contents(ws.root() + "/InputCylinder.txt").contains("\nCase680mm\n"));
    QVERIFY(contents(ws.root() + "/InputPocketMesh.txt").contains("dP=680mm.msh"));
    QVERIFY(!contents(ws.root() + "/dP=680mm.msh").isEmpty());
    QVERIFY(!QFile::exists(ws.root() + "/Case680mm/dP=680mm.msh"));

    QTRY_VERIFY(QFile::exists(launchLog(ws)));
    QCOMPARE(QString::fromUtf8(contents(launchLog(ws))),
             QString("args=1\narg=[]\ncwd=%1\n").arg(ws.executingDir()));

    const QString exec = ws.executingDir();
    QCOMPARE(run.debugLines.size(), 11);
    QCOMPARE(run.debugLines.at(0), QString("Current Dir 1 \"%1\"").arg(exec));
    QVERIFY(run.debugLines.at(1).startsWith("curDir1= QDir( \"" + exec + "\""));
    QCOMPARE(run.debugLines.at(2), QString("Current Dir 2 \"%1\"").arg(ws.root()));
    QVERIFY(run.debugLines.at(3).startsWith("curDir2= QDir( \"" + ws.root() + "\""));
    QCOMPARE(run.debugLines.mid(4, 4), (QStringList{"\"Case680mm\"", "\"Case680mm/head\"",
                                                    "\"Case680mm/piston\"", "\"Case680mm/side\""}));
    QCOMPARE(run.debugLines.at(8), QString("Programmname= \"%1/euler.exe\"").arg(exec));
    QCOMPARE(run.debugLines.at(9), QString("\"%1\"").arg(exec));
    QCOMPARE(run.debugLines.at(10), QString("Working directory= \"%1\"").arg(exec));
}

void TstStartCalc::secondRunKeepsResultsAndOverwritesInputs()
{
    TestWorkspace ws;
    QVERIFY(prepare(ws));
    QVERIFY(QDir::setCurrent(ws.executingDir()));
    Kalvex window;
    fill(window, sampleFieldTexts());
    QCOMPARE(pressCalculate(window).messages, QStringList());
    QTRY_VERIFY(QFile::exists(launchLog(ws)));
    QVERIFY(QFile::remove(launchLog(ws)));
    // A case whose solver still runs is refused; this one ends without a log.
    QTRY_COMPARE(window.findChild<QLabel *>("runStatus")->text(),
                 QString("Case680mm: solver ended without a result"));

    QFile result(ws.root() + "/Case680mm/head/head001.txt");
    QVERIFY(result.open(QIODevice::WriteOnly));
    result.write("1 2 3\n");
    result.close();
    fill(window, {{Parameter::CrankSpeed, "400"}});

    QCOMPARE(pressCalculate(window).messages, QStringList());

    QCOMPARE(QDir::currentPath(), ws.executingDir());
    QCOMPARE(contents(result.fileName()), QByteArray("1 2 3\n"));
    for (const QString &dir : {ws.root(), ws.root() + "/Case680mm"})
        QVERIFY(contents(dir + "/InputCylinder.txt").contains("\n400.00000\n"));
    QTRY_VERIFY(QFile::exists(launchLog(ws)));
}

void TstStartCalc::refusalTouchesNothing_data()
{
    QTest::addColumn<QString>("breakage");     // of the workspace, see below
    QTest::addColumn<QString>("changes");      // to the sample set, as in samplefields.h
    QTest::addColumn<QStringList>("expected"); // parts of the one message

    QTest::newRow("started in the root") << "root" << QString()
                                         << QStringList{"must run in the directory \"ExecutingFiles\""};
    QTest::newRow("solver missing") << "no solver" << QString()
                                    << QStringList{"\"euler.exe\" is missing or not executable"};
    QTest::newRow("reference mesh missing") << "no reference" << QString()
                                            << QStringList{"\"reference_valve_pocket.msh\" is missing"};

    QTest::newRow("empty case name") << "" << "CaseName=" << QStringList{"Case name \"\": is empty"};
    QTest::newRow("case name ..") << "" << "CaseName=.." << QStringList{"Case name \"..\""};
    QTest::newRow("case name with /") << "" << "CaseName=A/B" << QStringList{"\"/\""};
    QTest::newRow("case name with \\") << "" << "CaseName=A\\B" << QStringList{"\"\\\""};

    QTest::newRow("every parameter problem in one message")
        << "" << "PistonDiameter=0,68;CellsAlongPistonRadius=0;SuctionValveCount=7"
        << QStringList{"Piston diameter d_P (m): \"0,68\" is not a number",
                       "Number of cells along piston radius n1: must be from 1 to 10000 (is 0)",
                       "Number of suction valves (1): must be from 1 to 5 (is 7)"};
    QTest::newRow("pocket as wide as piston")
        << "" << "PocketRadius=400"
        << QStringList{"\"Valve pocket radius rv1 [mm]\" (400 mm) must be smaller than the piston radius"};
    QTest::newRow("mesh file would replace the reference")
        << "" << "MeshFileName=reference_valve_pocket.msh"
        << QStringList{"would overwrite a file the calculation needs"};
}

void TstStartCalc::refusalTouchesNothing()
{
    QFETCH(QString, breakage);
    QFETCH(QString, changes);
    QFETCH(QStringList, expected);
    TestWorkspace ws;
    QVERIFY(prepare(ws));
    if (breakage == "no solver")
        QVERIFY(QFile::remove(ws.program("euler.exe")));
    else if (breakage == "no reference")
        QVERIFY(QFile::remove(ws.root() + "/reference_valve_pocket.msh"));
    const QString start = breakage == "root" ? ws.root() : ws.executingDir();
    QVERIFY(QDir::setCurrent(start));
    Kalvex window;
    QString unknown;
    fill(window, changedSampleFieldTexts(changes, &unknown));
    QVERIFY2(unknown.isEmpty(), qPrintable(unknown));
    const QStringList before = ws.listing();

    const RunResult run = pressCalculate(window);

    QCOMPARE(run.messages.size(), 1);
    QCOMPARE(run.titles.first(), QString("Calculation not started"));
    for (const QString &part : expected)
        QVERIFY2(run.messages.first().contains(part), qPrintable(run.messages.first()));
    QCOMPARE(QDir::currentPath(), start);
    QTest::qWait(50); // a solver started by mistake would have logged by now
    QCOMPARE(ws.listing(), before);
}

void TstStartCalc::failedStepStopsRun_data()
{
    QTest::addColumn<QString>("obstacle");     // a file or directory in the way
    QTest::addColumn<bool>("obstacleIsDir");
    QTest::addColumn<QString>("expected");     // the stop message
    QTest::addColumn<bool>("rootInputsWritten");

    QTest::newRow("case directory is a file")
        << "Case680mm" << false << "The directory %1/Case680mm/head could not be created." << false;
    QTest::newRow("result directory is a file")
        << "Case680mm/piston" << false << "The directory %1/Case680mm/piston could not be created." << false;
    QTest::newRow("root cylinder file blocked")
        << "InputCylinder.txt" << true << "The file %1/InputCylinder.txt could not be written." << false;
    QTest::newRow("mapped pocket mesh blocked")
        << "dP=680mm.msh" << true << "The file %1/dP=680mm.msh could not be written." << true;
    QTest::newRow("case valve file blocked")
        << "Case680mm/InputValves.txt" << true << "The file %1/Case680mm/InputValves.txt could not be written."
        << true;
}

void TstStartCalc::failedStepStopsRun()
{
    QFETCH(QString, obstacle);
    QFETCH(bool, obstacleIsDir);
    QFETCH(QString, expected);
    QFETCH(bool, rootInputsWritten);
    TestWorkspace ws;
    QVERIFY(prepare(ws));
    const QString path = ws.root() + '/' + obstacle;
    QVERIFY(QDir().mkpath(obstacleIsDir ? path : QFileInfo(path).absolutePath()));
    if (!obstacleIsDir) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir::setCurrent(ws.executingDir()));
    Kalvex window;
    fill(window, sampleFieldTexts());

    const RunResult run = pressCalculate(window);

    QVERIFY(!run.messages.isEmpty());
    QCOMPARE(run.titles.last(), QString("Calculation stopped"));
    QCOMPARE(run.messages.last(), expected.arg(ws.root()) + "\nThe solver was not started.");
    QCOMPARE(QDir::currentPath(), ws.executingDir());
    QCOMPARE(QFile::exists(ws.root() + "/InputPocketMesh.txt"), rootInputsWritten);
    QTest::qWait(50);
    QVERIFY(!QFile::exists(launchLog(ws)));
}

void TstStartCalc::solverThatCannotStartIsReported()
{
    TestWorkspace ws;
    QVERIFY(prepare(ws));
    QVERIFY(ws.writeProgram("euler.exe", "#!/nonexistent/interpreter\n"));
    QVERIFY(QDir::setCurrent(ws.executingDir()));
    Kalvex window;
    fill(window, sampleFieldTexts());

    const RunResult run = pressCalculate(window);

    QCOMPARE(run.titles, QStringList{"Calculation stopped"});
    QCOMPARE(run.messages, QStringList{QString("The solver %1/euler.exe could not be started.").arg(ws.executingDir())});
    QCOMPARE(QDir::currentPath(), ws.executingDir());
}

QTEST_MAIN(TstStartCalc)
#include "tst_startcalc.moc"
