// The field-map pipeline without a window: what it runs, where, what it
// reports through its callbacks, and how it stops.
#include <QDir>
#include <QFile>
#include <QtTest>

#include "post/fieldmaprun.h"
#include "syntheticcase.h"
#include "testworkspace.h"

using namespace FieldMaps;

namespace {

const QString caseName = QStringLiteral("CaseR");

// A plotter that draws nothing: it logs its working directory and script
// name, one line per run, and fails on a script whose name is in FAIL_ON.
const QByteArray loggingPlotter = "#!/bin/sh\n"
                                  "echo \"$(pwd -P) $1\" >> ../plotter.log\n"
                                  "case \"$1\" in $FAIL_ON) echo \"cannot $1\" >&2; exit 1;; esac\n";

struct Recorder
{
    QStringList progress; // "label|value|maximum"
    QStringList problems;
    int cancelAfterProgress = -1; // asks to stop once this many progress calls came

    RunCallbacks callbacks()
    {
        return {[this](const QString &label, int value, int maximum) {
                    progress << QStringLiteral("%1|%2|%3").arg(label).arg(value).arg(maximum);
                },
                [this](const QString &text) { problems << text; },
                [this] { return cancelAfterProgress >= 0 && progress.size() >= cancelAfterProgress; },
                [] { return false; }};
    }
};

} // namespace

class TestFieldMapRun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void runsEveryMapInExecutingFilesWithoutMovingTheCurrentDirectory();
    void inputsFromTexts();
    void progressIsOneBarOverEverySurface();
    void problemsComeThroughTheCallbackInOrder();
    void missingProgramStopsEverySurface();
    void cancelStopsAfterTheCurrentMap();

private:
    RunInputs inputs(int steps) const;
    QStringList plotterLog() const;

    TestWorkspace *m_ws = nullptr;
};

void TestFieldMapRun::init()
{
    m_ws = new TestWorkspace;
    QVERIFY(m_ws->isValid());
    QString error;
    QVERIFY2(SyntheticCase::write(m_ws->path(caseName), 2, {3, 8}, {4, 12}, &error), qPrintable(error));
    QVERIFY(m_ws->writeProgram(QStringLiteral("wgnuplot.exe"), loggingPlotter));
    qunsetenv("FAIL_ON");
    QVERIFY(QDir::setCurrent(m_ws->executingDir()));
}

void TestFieldMapRun::cleanup()
{
    qunsetenv("FAIL_ON");
    delete m_ws;
}

RunInputs TestFieldMapRun::inputs(int steps) const
{
    RunInputs in;
    in.caseName = caseName;
    in.endAngle = QString::number(steps);
    in.steps = steps;
    in.pistonDiameter = SyntheticCase::pistonDiameter;
    in.valveDiameter = SyntheticCase::valveDiameter;
    in.suctionValves = 1;
    in.dischargeValves = 1;
    in.suctionAngles = {30, 0, 0, 0, 0};
    in.dischargeAngles = {210, 0, 0, 0, 0};
    return in;
}

QStringList TestFieldMapRun::plotterLog() const
{
    QFile log(m_ws->path(QStringLiteral("plotter.log")));
    if (!log.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestFieldMapRun::runsEveryMapInExecutingFilesWithoutMovingTheCurrentDirectory()
{
    // Started beside ExecutingFiles, in a directory of the root.
    QVERIFY(QDir(m_ws->root()).mkdir(QStringLiteral("Other")));
    QVERIFY(QDir::setCurrent(m_ws->path(QStringLiteral("Other"))));
    Recorder recorder;
    QObject parent;
    FieldMapRun run(inputs(2), &parent, recorder.callbacks());
    run.run(QDir::currentPath(), {&headSurface(), &sideSurface()});

    QCOMPARE(QDir::currentPath(), m_ws->path(QStringLiteral("Other")));
    QCOMPARE(recorder.problems, QStringList());
    QStringList expected;
    for (int map = 0; map < 4; ++map)
        expected << m_ws->executingDir() + QStringLiteral(" gp_d.txt") << m_ws->executingDir() + QStringLiteral(" gp_p.txt")
                 << m_ws->executingDir() + QStringLiteral(" gp_v.txt");
    QCOMPARE(plotterLog(), expected);
    for (const char *copy : {"head/head002_mod.txt", "side/side001_mod.txt"})
        QVERIFY(QFileInfo(m_ws->path(caseName + QLatin1Char('/') + QLatin1String(copy))).size() > 0);
    QFile script(m_ws->executingDir() + QStringLiteral("/gp_v.txt"));
    QVERIFY(script.open(QIODevice::ReadOnly | QIODevice::Text));
    QVERIFY(script.readAll().contains("set output '../CaseR/side/side002_velocity.png'\n"));
}

void TestFieldMapRun::inputsFromTexts()
{
    const FieldTexts texts{{Parameter::CaseName, QStringLiteral("C")},
                           {Parameter::EndAngle, QStringLiteral("359.9")},
                           {Parameter::PistonDiameter, QStringLiteral("0.68")},
                           {Parameter::SuctionValveCount, QStringLiteral("2.7")},
                           {Parameter::DischargeValveCount, QStringLiteral("x")},
                           {Parameter::SuctionPocketAngle2, QStringLiteral("90")},
                           {Parameter::DischargePocketAngle5, QStringLiteral("-45")}};
    const RunInputs in = RunInputs::fromTexts(texts);
    QCOMPARE(in.caseName, QStringLiteral("C"));
    QCOMPARE(in.endAngle, QStringLiteral("359.9"));
    QCOMPARE(in.steps, 359);
    QCOMPARE(in.pistonDiameter, 0.68);
    QCOMPARE(in.valveDiameter, 0.0);
    QCOMPARE(in.suctionValves, 2);
    QCOMPARE(in.dischargeValves, 0);
    QCOMPARE(in.suctionAngles, (QList<double>{0, 90, 0, 0, 0}));
    QCOMPARE(in.dischargeAngles, (QList<double>{0, 0, 0, 0, -45}));
    for (const Parameter key : texts.keys())
        QVERIFY(RunInputs::parameters().contains(key));
}

// One bar for the whole request: its value is what the label's second line
// says, and a surface that cannot be drawn still moves it on.
void TestFieldMapRun::progressIsOneBarOverEverySurface()
{
    QVERIFY(QDir(m_ws->path(caseName + QStringLiteral("/piston"))).removeRecursively());
    Recorder recorder;
    QObject parent;
    FieldMapRun run(inputs(2), &parent, recorder.callbacks());
    run.run(QDir::currentPath(), {&headSurface(), &pistonSurface(), &sideSurface()});

    QCOMPARE(recorder.progress, (QStringList{
                                    "Head: reading step 1 of 2\n0 of 6 steps done|0|6",
                                    "Head: reading step 2 of 2\n0 of 6 steps done|0|6",
                                    "Head: step 1 of 2\n0 of 6 steps done|0|6",
                                    "Head: step 2 of 2\n1 of 6 steps done|1|6",
                                    "Side: reading step 1 of 2\n4 of 6 steps done|4|6",
                                    "Side: reading step 2 of 2\n4 of 6 steps done|4|6",
                                    "Side: step 1 of 2\n4 of 6 steps done|4|6",
                                    "Side: step 2 of 2\n5 of 6 steps done|5|6",
                                }));
}

void TestFieldMapRun::problemsComeThroughTheCallbackInOrder()
{
    QVERIFY(QFile::remove(m_ws->path(caseName + QStringLiteral("/head/head001.txt"))));
    QVERIFY(QDir(m_ws->path(caseName + QStringLiteral("/piston"))).removeRecursively());
    qputenv("FAIL_ON", "gp_p.txt");
    Recorder recorder;
    QObject parent;
    FieldMapRun run(inputs(2), &parent, recorder.callbacks());
    run.run(QDir::currentPath(), {&headSurface(), &pistonSurface()});

    QCOMPARE(recorder.problems.size(), 3);
    QVERIFY2(recorder.problems.at(0).startsWith(QStringLiteral("Head: ")), qPrintable(recorder.problems.at(0)));
    QVERIFY(recorder.problems.at(0).contains(QStringLiteral("head001.txt")));
    QCOMPARE(recorder.problems.at(1), QStringLiteral("../CaseR/head/head002_pressure.png: ./wgnuplot.exe ended "
                                                     "with exit code 1 (cannot gp_p.txt)"));
    QCOMPARE(recorder.problems.at(2), QStringLiteral("Piston: directory not found: %1")
                                          .arg(m_ws->path(caseName + QStringLiteral("/piston"))));
    QCOMPARE(plotterLog().size(), 3); // step 2 of the head only
}

void TestFieldMapRun::missingProgramStopsEverySurface()
{
    QVERIFY(QFile::remove(m_ws->program(QStringLiteral("wgnuplot.exe"))));
    Recorder recorder;
    QObject parent;
    FieldMapRun run(inputs(2), &parent, recorder.callbacks());
    run.run(QDir::currentPath(), {&headSurface(), &pistonSurface(), &sideSurface()});

    QCOMPARE(recorder.problems.size(), 1);
    QVERIFY2(recorder.problems.first().contains(QStringLiteral("could not be started in ") + m_ws->executingDir()),
             qPrintable(recorder.problems.first()));
    // The head's grid copies were written; the piston was not read at all.
    QVERIFY(QFile::exists(m_ws->path(caseName + QStringLiteral("/head/head002_mod.txt"))));
    QVERIFY(!QFile::exists(m_ws->path(caseName + QStringLiteral("/piston/piston001_mod.txt"))));
}

void TestFieldMapRun::cancelStopsAfterTheCurrentMap()
{
    Recorder recorder;
    recorder.cancelAfterProgress = 3; // two reading steps and the first drawing step
    QObject parent;
    FieldMapRun run(inputs(2), &parent, recorder.callbacks());
    run.run(QDir::currentPath(), {&headSurface(), &pistonSurface()});

    QVERIFY(run.cancelled());
    QCOMPARE(plotterLog().size(), 1);
    QCOMPARE(recorder.problems, QStringList());
    QVERIFY(!QFile::exists(m_ws->path(caseName + QStringLiteral("/piston/piston001_mod.txt"))));
}

QTEST_GUILESS_MAIN(TestFieldMapRun)
#include "tst_fieldmaprun.moc"
