// The field-map pipeline without a window: what it runs, where, what it
// reports through its callbacks, how it stops, and that several jobs at once
// give what one job gives.
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtTest>

#include "post/fieldmaprun.h"
#include "syntheticcase.h"
#include "testworkspace.h"

using namespace FieldMaps;

namespace {

const QString caseName = QStringLiteral("CaseR");

// A plotter that draws nothing. Each run logs a line: its working directory,
// the script's name, the map the script names and a digest of the script.
// It fails on scripts whose names match FAIL_ON and sleeps SLEEP seconds.
const QByteArray loggingPlotter =
    "#!/bin/sh\n"
    "map=$(sed -n \"s/^set output '\\(.*\\)'$/\\1/p\" \"$1\")\n"
    "echo \"$(pwd -P) $1 $map $(md5sum < \"$1\" | cut -c1-32)\" >> ../plotter.log\n"
    "[ -n \"$SLEEP\" ] && sleep \"$SLEEP\"\n"
    "case \"$1\" in $FAIL_ON) echo \"cannot draw $map\" >&2; exit 1;; esac\n"
    "exit 0\n";

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

QByteArray fileDigest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "missing";
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex();
}

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
    void severalJobsGiveWhatOneJobGives_data();
    void severalJobsGiveWhatOneJobGives();
    void problemsComeThroughTheCallbackInOrder_data();
    void problemsComeThroughTheCallbackInOrder();
    void missingProgramStopsEverySurface_data();
    void missingProgramStopsEverySurface();
    void cancelStopsEveryJobAfterItsMap_data();
    void cancelStopsEveryJobAfterItsMap();
    void overlongMapIsStoppedAndReported();
    void negativeStepCountDrawsNothing();

private:
    RunInputs inputs(int steps) const;
    QStringList plotterLog() const;
    // Runs the pipeline with `jobs` jobs; returns the problems it reported.
    QStringList plot(int jobs, const QList<const Surface *> &surfaces, int steps = 2, Recorder *recorder = nullptr);
    // Every grid copy and script with its digest, and what the plotter saw.
    QStringList outcome() const;
    void jobsRows();

    TestWorkspace *m_ws = nullptr;
};

void TestFieldMapRun::init()
{
    m_ws = new TestWorkspace;
    QVERIFY(m_ws->isValid());
    QString error;
    QVERIFY2(SyntheticCase::write(m_ws->path(caseName), 5, {3, 8}, {4, 12}, &error), qPrintable(error));
    QVERIFY(m_ws->writeProgram(QStringLiteral("wgnuplot.exe"), loggingPlotter));
    qunsetenv("FAIL_ON");
    qunsetenv("SLEEP");
    QVERIFY(QDir::setCurrent(m_ws->executingDir()));
}

void TestFieldMapRun::cleanup()
{
    qunsetenv("FAIL_ON");
    qunsetenv("SLEEP");
    delete m_ws;
}

void TestFieldMapRun::jobsRows()
{
    QTest::addColumn<int>("jobs");
    QTest::newRow("one job") << 1;
    QTest::newRow("two jobs") << 2;
    QTest::newRow("more jobs than steps") << 7;
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

QStringList TestFieldMapRun::plot(int jobs, const QList<const Surface *> &surfaces, int steps, Recorder *recorder)
{
    Recorder own;
    Recorder &r = recorder ? *recorder : own;
    QObject parent;
    FieldMapRun run(inputs(steps), &parent, r.callbacks());
    run.setJobs(jobs);
    run.run(QDir::currentPath(), surfaces);
    return r.problems;
}

QStringList TestFieldMapRun::outcome() const
{
    QStringList entries;
    QDirIterator it(m_ws->root(), {QStringLiteral("*_mod.txt"), QStringLiteral("gp_*.txt")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries << QDir(m_ws->root()).relativeFilePath(path) + QLatin1Char(' ') + fileDigest(path);
    }
    // What each map's run was given, whichever job ran it under whichever name.
    for (const QString &line : plotterLog()) {
        const QStringList fields = line.split(QLatin1Char(' '));
        entries << QStringLiteral("ran ") + fields.mid(2).join(QLatin1Char(' '));
    }
    entries.sort();
    return entries;
}

void TestFieldMapRun::runsEveryMapInExecutingFilesWithoutMovingTheCurrentDirectory()
{
    // Started beside ExecutingFiles, in a directory of the root.
    QVERIFY(QDir(m_ws->root()).mkdir(QStringLiteral("Other")));
    QVERIFY(QDir::setCurrent(m_ws->path(QStringLiteral("Other"))));
    QCOMPARE(plot(1, {&headSurface(), &sideSurface()}), QStringList());

    QCOMPARE(QDir::currentPath(), m_ws->path(QStringLiteral("Other")));
    QStringList expected;
    for (const QString &surface : {QStringLiteral("head"), QStringLiteral("side")}) {
        for (const QString &step : {QStringLiteral("001"), QStringLiteral("002")}) {
            const QString stem = QStringLiteral("../CaseR/%1/%1%2_").arg(surface, step);
            expected << QStringLiteral(" gp_d.txt ") + stem + QStringLiteral("density.png")
                     << QStringLiteral(" gp_p.txt ") + stem + QStringLiteral("pressure.png")
                     << QStringLiteral(" gp_v.txt ") + stem + QStringLiteral("velocity.png");
        }
    }
    QStringList seen;
    for (const QString &line : plotterLog()) {
        QVERIFY2(line.startsWith(m_ws->executingDir() + QLatin1Char(' ')), qPrintable(line));
        seen << line.mid(m_ws->executingDir().size()).section(QLatin1Char(' '), 0, 2);
    }
    QCOMPARE(seen, expected);
    for (const char *copy : {"head/head002_mod.txt", "side/side001_mod.txt"})
        QVERIFY(QFileInfo(m_ws->path(caseName + QLatin1Char('/') + QLatin1String(copy))).size() > 0);
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
    plot(1, {&headSurface(), &pistonSurface(), &sideSurface()}, 2, &recorder);

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

void TestFieldMapRun::severalJobsGiveWhatOneJobGives_data()
{
    QTest::addColumn<int>("jobs");
    QTest::addColumn<QByteArray>("failOn");
    QTest::newRow("two jobs") << 2 << QByteArray();
    QTest::newRow("three jobs") << 3 << QByteArray();
    QTest::newRow("two jobs, failing maps") << 2 << QByteArray("gp_p*");
}

// The same grid copies, final scripts, maps with the same scripts, problems
// and diagnostic lines, and no script of a second job left behind.
void TestFieldMapRun::severalJobsGiveWhatOneJobGives()
{
    QFETCH(int, jobs);
    QFETCH(QByteArray, failOn);
    qputenv("FAIL_ON", failOn);
    const QList<const Surface *> surfaces{&headSurface(), &pistonSurface(), &sideSurface()};
    auto debugLines = [](const std::function<void()> &work) {
        static QStringList lines;
        lines.clear();
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &,
                                                                    const QString &text) {
            if (type == QtDebugMsg)
                lines << text;
        });
        work();
        qInstallMessageHandler(previous);
        return lines;
    };

    QStringList oneJobProblems;
    const QStringList oneJobLines = debugLines([&] { oneJobProblems = plot(1, surfaces, 5); });
    const QStringList oneJob = outcome();
    QVERIFY(QFile::remove(m_ws->path(QStringLiteral("plotter.log"))));

    QStringList problems;
    const QStringList lines = debugLines([&] { problems = plot(jobs, surfaces, 5); });
    QCOMPARE(outcome(), oneJob);
    QCOMPARE(problems, oneJobProblems);
    QCOMPARE(lines, oneJobLines);
    QCOMPARE(problems.size(), failOn.isEmpty() ? 0 : 15);
    const QStringList scripts = QDir(m_ws->executingDir()).entryList({QStringLiteral("gp_*")}, QDir::Files);
    QCOMPARE(scripts, (QStringList{"gp_d.txt", "gp_p.txt", "gp_v.txt"}));
}

void TestFieldMapRun::problemsComeThroughTheCallbackInOrder_data()
{
    jobsRows();
}

void TestFieldMapRun::problemsComeThroughTheCallbackInOrder()
{
    QFETCH(int, jobs);
    QVERIFY(QFile::remove(m_ws->path(caseName + QStringLiteral("/head/head001.txt"))));
    QVERIFY(QDir(m_ws->path(caseName + QStringLiteral("/piston"))).removeRecursively());
    qputenv("FAIL_ON", "gp_p*");
    const QStringList problems = plot(jobs, {&headSurface(), &pistonSurface()});

    QCOMPARE(problems.size(), 3);
    QVERIFY2(problems.at(0).startsWith(QStringLiteral("Head: ")), qPrintable(problems.at(0)));
    QVERIFY(problems.at(0).contains(QStringLiteral("head001.txt")));
    QCOMPARE(problems.at(1), QStringLiteral("../CaseR/head/head002_pressure.png: ./wgnuplot.exe ended "
                                            "with exit code 1 (cannot draw ../CaseR/head/head002_pressure.png)"));
    QCOMPARE(problems.at(2), QStringLiteral("Piston: directory not found: %1")
                                 .arg(m_ws->path(caseName + QStringLiteral("/piston"))));
    QCOMPARE(plotterLog().size(), 3); // step 2 of the head only
}

void TestFieldMapRun::missingProgramStopsEverySurface_data()
{
    jobsRows();
}

void TestFieldMapRun::missingProgramStopsEverySurface()
{
    QFETCH(int, jobs);
    QVERIFY(QFile::remove(m_ws->program(QStringLiteral("wgnuplot.exe"))));
    const QStringList problems = plot(jobs, {&headSurface(), &pistonSurface(), &sideSurface()});

    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.first().contains(QStringLiteral("could not be started in ") + m_ws->executingDir()),
             qPrintable(problems.first()));
    // The head's grid copies were written; the piston was not read at all.
    QVERIFY(QFile::exists(m_ws->path(caseName + QStringLiteral("/head/head002_mod.txt"))));
    QVERIFY(!QFile::exists(m_ws->path(caseName + QStringLiteral("/piston/piston001_mod.txt"))));
}

void TestFieldMapRun::cancelStopsEveryJobAfterItsMap_data()
{
    QTest::addColumn<int>("jobs");
    QTest::addColumn<int>("mapsDrawn");
    QTest::newRow("one job") << 1 << 1;
    QTest::newRow("two jobs") << 2 << 2;
}

// Asked to stop while the first step is drawn: each job finishes the map it
// draws, and nothing else is started.
void TestFieldMapRun::cancelStopsEveryJobAfterItsMap()
{
    QFETCH(int, jobs);
    QFETCH(int, mapsDrawn);
    Recorder recorder;
    recorder.cancelAfterProgress = 2 + jobs; // the two reading steps, then a step per job
    QObject parent;
    FieldMapRun run(inputs(2), &parent, recorder.callbacks());
    run.setJobs(jobs);
    run.run(QDir::currentPath(), {&headSurface(), &pistonSurface()});

    QVERIFY(run.cancelled());
    QCOMPARE(plotterLog().size(), mapsDrawn);
    QCOMPARE(recorder.problems, QStringList());
    QVERIFY(!QFile::exists(m_ws->path(caseName + QStringLiteral("/piston/piston001_mod.txt"))));
}

// A map past its time is stopped and reported; the others are drawn.
void TestFieldMapRun::overlongMapIsStoppedAndReported()
{
    QVERIFY(m_ws->writeProgram(QStringLiteral("wgnuplot.exe"),
                               "#!/bin/sh\ncase \"$1\" in gp_v*) exec sleep 30;; esac\nexit 0\n"));
    Recorder recorder;
    QObject parent;
    FieldMapRun run(inputs(2), &parent, recorder.callbacks());
    run.setJobs(2);
    run.setMapTimeout(300);
    QElapsedTimer clock;
    clock.start();
    run.run(QDir::currentPath(), {&headSurface()});

    QVERIFY(clock.elapsed() < 20000);
    QCOMPARE(recorder.problems, (QStringList{
                                    "../CaseR/head/head001_velocity.png: ./wgnuplot.exe did not finish in time and was stopped",
                                    "../CaseR/head/head002_velocity.png: ./wgnuplot.exe did not finish in time and was stopped",
                                }));
}

void TestFieldMapRun::negativeStepCountDrawsNothing()
{
    Recorder recorder;
    plot(2, {&headSurface()}, -3, &recorder);
    QCOMPARE(recorder.problems, QStringList{"Head: no output steps to plot (phiMax is \"-3\")."});
    QCOMPARE(recorder.progress, QStringList());
    QCOMPARE(plotterLog(), QStringList());
}

QTEST_GUILESS_MAIN(TestFieldMapRun)
#include "tst_fieldmaprun.moc"
