// Whole solver runs in a temporary workspace (root with ExecutingFiles), of
// both models, through their run functions and through the real euler.exe;
// every result file is read back with the front end's own field splitting.
#include "chambertestcase.h"
#include "solvertestcase.h"

#include "formats/historycolumns.h"
#include "io/caseinputs.h"
#include "io/historywriter.h"
#include "models/kinematics.h"
#include "post/resultfile.h"
#include "text/textfields.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace euler;

class TstSolverRun : public QObject
{
    Q_OBJECT

private slots:
    void runWritesEveryResultFile_data();
    void runWritesEveryResultFile();
    void historyAndSummaryAgreeWithTheRun();
    void chamberHistoryAndSummaryAgreeWithTheRun();
    void badInputStopsWithReason_data();
    void badInputStopsWithReason();
    void missingCaseNameIsLoggedBesideTheInputs_data();
    void missingCaseNameIsLoggedBesideTheInputs();
    void unexpectedFailureEndsTheLogLikeAnyOther_data();
    void unexpectedFailureEndsTheLogLikeAnyOther();
    void pocketMeshVolumeAndWidthAreChecked_data();
    void pocketMeshVolumeAndWidthAreChecked();
    void chamberRefusesAMeshTooLargeForMemory();
    void runBeyondTheFreeDiskSpaceIsRefused_data();
    void runBeyondTheFreeDiskSpaceIsRefused();
    void chamberWritesParaViewFiles();
    void executableRunsInWorkspace_data();
    void executableRunsInWorkspace();
    void executableReportsMissingInput();
    void executableRefusesUnknownArguments();
    void runsRaiseNoFloatingPointException_data();
    void runsRaiseNoFloatingPointException();

private:
    // A root directory with ExecutingFiles and the sample inputs, with a
    // short run and a coarse grid unless told otherwise.
    struct Workspace
    {
        QTemporaryDir dir;
        QString root() const { return dir.path(); }
        QString file(const QString &name) const { return dir.filePath(name); }
        QString caseFile(const QString &name) const { return dir.filePath(QStringLiteral("Case680mm/") + name); }
    };
    static void prepare(Workspace &w, const QString &phiMax = QStringLiteral("3.70000"));
    static void replaceLine(const QString &file, int lineNumber, const QByteArray &text);
    static QList<QStringList> fieldLines(const QString &file);
    static QByteArray readAll(const QString &file);
};

namespace {

RunOptions quiet()
{
    RunOptions options;
    options.echo = false;
    return options;
}

chamber::ChamberRunOptions quietChamber()
{
    chamber::ChamberRunOptions options;
    options.echo = false;
    options.paraViewIntervalDeg = 0;
    return options;
}

// A whole run of the lumped ("lumped") or the 3D model ("chamber").
RunStatus runModel(const QString &model, const QString &root, bool writeSurfaces = true)
{
    if (model == QLatin1String("lumped")) {
        RunOptions options = quiet();
        options.writeSurfaces = writeSurfaces;
        return runLumpedCase(root.toStdString(), options);
    }
    chamber::ChamberRunOptions options = quietChamber();
    options.writeSurfaces = writeSurfaces;
    return chamber::runChamberCase(root.toStdString(), options);
}

void addModelColumn()
{
    QTest::addColumn<QString>("model");
}

const QStringList models{QStringLiteral("lumped"), QStringLiteral("chamber")};

} // namespace

void TstSolverRun::prepare(Workspace &w, const QString &phiMax)
{
    QVERIFY(w.dir.isValid());
    QVERIFY(QDir(w.root()).mkpath(QStringLiteral("ExecutingFiles")));
    QVERIFY(QFile::copy(solvertest::sampleFile("Case680mm_cylinder.txt"), w.file(QStringLiteral("InputCylinder.txt"))));
    QVERIFY(QFile::copy(solvertest::sampleFile("Case680mm_valves.txt"), w.file(QStringLiteral("InputValves.txt"))));
    QVERIFY(QFile::copy(QFINDTESTDATA("data/pocket_box.msh"), w.file(QStringLiteral("dP=680mm.msh"))));
    QFile::setPermissions(w.file(QStringLiteral("InputCylinder.txt")), QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(w.file(QStringLiteral("InputValves.txt")), QFile::ReadOwner | QFile::WriteOwner);
    QFile pocket(w.file(QStringLiteral("InputPocketMesh.txt")));
    QVERIFY(pocket.open(QIODevice::WriteOnly));
    pocket.write("Mesh file used for valve pockets:\ndP=680mm.msh\n\nGrid scaling factor (m/m)\n0.001\n");
    pocket.close();
    const QString cylinder = w.file(QStringLiteral("InputCylinder.txt"));
    replaceLine(cylinder, 30, "4");  // n1
    replaceLine(cylinder, 32, "1");  // n2
    replaceLine(cylinder, 34, "2");  // n3
    replaceLine(cylinder, 42, phiMax.toLatin1());
}

void TstSolverRun::replaceLine(const QString &fileName, int lineNumber, const QByteArray &text)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    QVERIFY(lineNumber <= lines.size());
    lines[lineNumber - 1] = text;
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(lines.join('\n'));
}

QList<QStringList> TstSolverRun::fieldLines(const QString &fileName)
{
    QList<QStringList> lines;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return lines;
    while (!file.atEnd())
        lines.append(TextFields::splitFields(QString::fromLatin1(file.readLine())));
    return lines;
}

QByteArray TstSolverRun::readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TstSolverRun::runWritesEveryResultFile_data()
{
    addModelColumn();
    QTest::addColumn<QString>("phiMax");
    QTest::addColumn<int>("steps");
    for (const QString &model : models) {
        QTest::addRow("%s, 3.7 deg", qPrintable(model)) << model << QStringLiteral("3.70000") << 3;
        QTest::addRow("%s, 12 deg", qPrintable(model)) << model << QStringLiteral("12.00000") << 12;
    }
}

void TstSolverRun::runWritesEveryResultFile()
{
    QFETCH(QString, model);
    QFETCH(QString, phiMax);
    QFETCH(int, steps);
    Workspace w;
    prepare(w, phiMax);
    const RunStatus result = runModel(model, w.root());
    QCOMPARE(result.exitCode, 0);

    const double radius = 0.34;
    for (int step = 1; step <= steps + 1; ++step) {
        const QString number = ResultFile::stepNumber(step);
        const bool expected = step <= steps;
        for (const QString &surface : {QStringLiteral("head"), QStringLiteral("piston")}) {
            const QString name = w.caseFile(surface + QLatin1Char('/') + surface + number + QStringLiteral(".txt"));
            QCOMPARE(QFile::exists(name), expected);
            if (!expected)
                continue;
            const QList<QStringList> lines = fieldLines(name);
            QVERIFY(lines.size() > 50);
            int previousRow = 0;
            QStringList rowStart;
            for (int i = 0; i < lines.size(); ++i) {
                const QStringList &f = lines[i];
                QVERIFY2(f.size() >= 10, qPrintable(name));
                bool ok = false;
                const int row = TextFields::integer(f, 2, &ok);
                QVERIFY(ok && row >= previousRow);
                if (row != previousRow)
                    rowStart = f;
                const bool lastOfRow = i + 1 == lines.size() || TextFields::integer(lines[i + 1], 2) != row;
                if (lastOfRow) { // every ring is closed
                    QCOMPARE(f[3], rowStart[3]);
                    QCOMPARE(f[4], rowStart[4]);
                }
                previousRow = row;
                QVERIFY(std::hypot(TextFields::number(f, 4), TextFields::number(f, 5)) <= radius * (1 + 1e-6));
                QVERIFY(TextFields::number(f, 7) > 0);
                QVERIFY(TextFields::number(f, 8) > 1e6);
            }
        }
        const QString sideName = w.caseFile(QStringLiteral("side/side") + number + QStringLiteral(".txt"));
        QCOMPARE(QFile::exists(sideName), expected);
        if (!expected)
            continue;
        const QList<QStringList> side = fieldLines(sideName);
        QVERIFY(!side.isEmpty());
        double zMax = 0, arcMax = 0;
        for (const QStringList &f : side) {
            QVERIFY(f.size() >= 11);
            bool ok = false;
            TextFields::integer(f, 3, &ok);
            QVERIFY(ok);
            zMax = std::max(zMax, TextFields::number(f, 6));
            arcMax = std::max(arcMax, TextFields::number(f, 7));
            QVERIFY(TextFields::number(f, 9) > 1e6);
        }
        QCOMPARE(TextFields::number(side.first(), 6), 0.0);
        const double gap = SliderCrank(0.11, 0.55, 0.004, 330).gap(step * M_PI / 180);
        QVERIFY(std::fabs(zMax - gap) < 1e-5 * gap); // the wall ends at the piston
        QVERIFY(std::fabs(arcMax - 2 * M_PI * radius) < 1e-4);
    }

    const QList<QStringList> history = fieldLines(w.caseFile(QStringLiteral("Output.txt")));
    const int columns = HistoryWriter::chamberColumns + 4 * HistoryWriter::valveColumns;
    QVERIFY(history.size() > 2);
    QCOMPARE(history.first().first(), QStringLiteral("#"));
    QCOMPARE(history.first().size(), 1 + columns);
    QVERIFY(history.first().at(4).startsWith(QStringLiteral("4:crank_angle")));
    QVERIFY(history.first().at(44).startsWith(QStringLiteral("44:S1_lift")));
    QVERIFY(history.first().at(49).startsWith(QStringLiteral("49:S1_mass_flow")));
    QVERIFY(history.first().at(71).startsWith(QStringLiteral("71:D2_lift")));
    double previousAngle = -1;
    for (int i = 1; i < history.size(); ++i) {
        const QStringList &f = history[i];
        QCOMPARE(f.size(), columns);
        const double angle = TextFields::number(f, 4);
        QVERIFY(angle > previousAngle && angle - previousAngle <= 0.1 + 1e-9 + (i == 1 ? 1 : 0));
        previousAngle = angle;
        for (int valve = 0; valve < 4; ++valve)
            QVERIFY(TextFields::number(f, 44 + 9 * valve) >= 0);
    }
    QCOMPARE(previousAngle, phiMax.toDouble());

    const QByteArray summary = readAll(w.caseFile(QStringLiteral("Summary.txt")));
    for (const char *key : {"Mass flow (kg/s) = ", "Volumetric efficiency (1) = ", "Indicated power (W) = ",
                            "Discharge temperature (K) = ", "Suction valve 2 largest impact velocity on seat (m/s) = ",
                            "Discharge valve 1 largest impact velocity on guard (m/s) = "})
        QVERIFY2(summary.contains(key), key);
    QVERIFY(readAll(w.caseFile(QStringLiteral("euler.log"))).contains("Finished"));
}

void TstSolverRun::historyAndSummaryAgreeWithTheRun()
{
    Workspace w;
    prepare(w, QStringLiteral("400.00000"));
    RunOptions options = quiet();
    options.writeSurfaces = false;
    const RunResult result = runLumpedCase(w.root().toStdString(), options);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.revolutions.size(), size_t(1));

    const QList<QStringList> history = fieldLines(w.caseFile(QStringLiteral("Output.txt")));
    QCOMPARE(history.size(), 1 + 4001);
    const QStringList &last = history.last();
    QCOMPARE(TextFields::number(last, 3), 2.0);     // second revolution
    QCOMPARE(TextFields::number(last, 5), 40.0);    // 400 deg into it
    QVERIFY(std::fabs(TextFields::number(last, 27)) < 1e-9 * TextFields::number(last, 23)); // mass balance
    QVERIFY(std::fabs(TextFields::number(last, 28)) < 1e-9 * std::fabs(TextFields::number(last, 26)) + 1e-6);
    double suctionMass = 0, dischargeMass = 0;
    for (int valve = 0; valve < 4; ++valve)
        (valve < 2 ? suctionMass : dischargeMass) += TextFields::number(last, 44 + 9 * valve + 8);
    QVERIFY(std::fabs(suctionMass - TextFields::number(last, 23)) < 1e-6 * suctionMass);
    QVERIFY(std::fabs(dischargeMass - TextFields::number(last, 24)) < 1e-6 * dischargeMass);

    const QByteArray summary = readAll(w.caseFile(QStringLiteral("Summary.txt")));
    QVERIFY(summary.contains("from crank angle 0 to 360 deg (last complete revolution)"));
    double efficiency = 0;
    for (const QByteArray &line : summary.split('\n'))
        if (line.startsWith("Volumetric efficiency (1) = "))
            efficiency = line.mid(line.indexOf('=') + 1).trimmed().toDouble();
    QVERIFY(std::fabs(efficiency - result.cycle.volumetricEfficiency) < 1e-6);
    QVERIFY(efficiency > 0.85 && efficiency < result.ideal.volumetricEfficiency);
}

void TstSolverRun::badInputStopsWithReason_data()
{
    addModelColumn();
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("reason");
    struct Row
    {
        const char *name, *file;
        int line;
        QByteArray text;
        int exitCode;
        QByteArray reason;
    };
    const Row rows[] = {
        {"piston diameter not a number", "InputCylinder.txt", 6, QByteArray("abc"), 1, QByteArray("piston diameter is not a number")},
        {"conrod shorter than crank", "InputCylinder.txt", 14, QByteArray("0.05000"), 1, QByteArray("conrod length")},
        {"n1 not an integer", "InputCylinder.txt", 30, QByteArray("4.5"), 1, QByteArray("n1 is not an integer")},
        {"negative phiMax", "InputCylinder.txt", 42, QByteArray("-3.00000"), 1, QByteArray("phiMax")},
        {"discharge pressure not above suction", "InputCylinder.txt", 24, QByteArray("2000000.00000"), 1, QByteArray("must exceed the suction pressure")},
        {"grading of one", "InputCylinder.txt", 36, QByteArray("1.00000"), 1, QByteArray("grading_P must lie in (0, 1)")},
        {"seven suction valves", "InputValves.txt", 6, QByteArray("7"), 1, QByteArray("between 1 and 5")},
        {"zero plate mass", "InputValves.txt", 40, QByteArray("0.00000"), 1, QByteArray("discharge valve: plate mass")},
        {"cone past the cylinder axis", "InputValves.txt", 50, QByteArray("330.00000"), 1, QByteArray("hk1 reaches past the cylinder axis")},
        {"truncated valve file", "InputValves.txt", 46, QByteArray("#"), 1, QByteArray("missing value")},
        {"missing pocket mesh", "InputPocketMesh.txt", 2, QByteArray("nothere.msh"), 1, QByteArray("nothere.msh: cannot be opened")},
        {"bad mesh scale", "InputPocketMesh.txt", 5, QByteArray("zero"), 1, QByteArray("grid scaling factor")},
        {"mesh node out of range", "dP=680mm.msh", 15, QByteArray("6 11 12 7 2 9 10 13"), 1, QByteArray("out of range")},
        {"mesh ends early", "dP=680mm.msh", 15, QByteArray(""), 1, QByteArray("ends early")},
        {"inverted pocket cell", "dP=680mm.msh", 15, QByteArray("2 9 10 3 6 11 12 7"), 1, QByteArray("hexahedron 1 is inverted")},
        {"mesh scaled into the bore", "InputPocketMesh.txt", 5, QByteArray("0.0005"), 1, QByteArray("no hexahedron lies outside the bore")},
        {"mesh scaled off the bore", "InputPocketMesh.txt", 5, QByteArray("0.0011"), 1, QByteArray("the pocket does not reach the bore")},
        {"Output.txt not writable", "Case680mm/Output.txt", 0, QByteArray(), 2, QByteArray("Output.txt: cannot be written")},
    };
    for (const QString &model : models)
        for (const Row &r : rows)
            QTest::addRow("%s, %s", qPrintable(model), r.name) << model << QString::fromLatin1(r.file) << r.line << r.text
                                                          << r.exitCode << r.reason;
    // Only the 3D model places the pockets round the bore.
    QTest::newRow("chamber, pockets overlap") << QStringLiteral("chamber") << "InputValves.txt" << 8
                                              << QByteArray("30.00000\t40.00000\t0\t0\t0") << 1
                                              << QByteArray("suction valve 2 (40 deg) overlap: each spans 34.2093 deg");
}

void TstSolverRun::badInputStopsWithReason()
{
    QFETCH(QString, model);
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(QByteArray, text);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, reason);
    Workspace w;
    prepare(w);
    if (line > 0) {
        replaceLine(w.file(file), line, text);
        if (text.isEmpty()) { // cut the file after this line
            QFile f(w.file(file));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QList<QByteArray> lines = f.readAll().split('\n').mid(0, line);
            f.close();
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(lines.join('\n'));
        }
    } else {
        QVERIFY(QDir(w.root()).mkpath(file)); // a directory where the file should go
    }
    const RunStatus result = runModel(model, w.root());
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(QByteArray::fromStdString(result.message).contains(reason), result.message.c_str());
    const QByteArray log = readAll(w.caseFile(QStringLiteral("euler.log")));
    QVERIFY(log.contains("ERROR: "));
    QVERIFY(log.contains(reason));
    QVERIFY(log.contains("exit status " + QByteArray::number(exitCode)));
}

void TstSolverRun::missingCaseNameIsLoggedBesideTheInputs_data()
{
    addModelColumn();
    for (const QString &model : models)
        QTest::newRow(qPrintable(model)) << model;
}

void TstSolverRun::missingCaseNameIsLoggedBesideTheInputs()
{
    QFETCH(QString, model);
    Workspace w;
    prepare(w);
    replaceLine(w.file(QStringLiteral("InputCylinder.txt")), 2, "");
    const RunStatus result = runModel(model, w.root());
    QCOMPARE(result.exitCode, 1);
    QVERIFY(readAll(w.file(QStringLiteral("euler.log"))).contains("line 2 holds no case name"));
    QVERIFY(!QFile::exists(w.caseFile(QStringLiteral("Output.txt"))));
}

// Not a RunError (a full disk in the standard library, memory): the log still
// ends in the exit status, the line the front end waits for.
void TstSolverRun::unexpectedFailureEndsTheLogLikeAnyOther_data()
{
    addModelColumn();
    for (const QString &model : models)
        QTest::newRow(qPrintable(model)) << model;
}

void TstSolverRun::unexpectedFailureEndsTheLogLikeAnyOther()
{
    QFETCH(QString, model);
    Workspace w;
    prepare(w);
    int exitCode = 0;
    if (model == QLatin1String("lumped")) {
        RunOptions options = quiet();
        options.afterStep = [](const Simulation &) { throw std::runtime_error("out of memory"); };
        exitCode = runLumpedCase(w.root().toStdString(), options).exitCode;
    } else {
        chamber::ChamberRunOptions options = quietChamber();
        options.afterStep = [](const chamber::ChamberSimulation &) { throw std::runtime_error("out of memory"); };
        exitCode = chamber::runChamberCase(w.root().toStdString(), options).exitCode;
    }
    QCOMPARE(exitCode, 2);
    const QList<QByteArray> lines = readAll(w.caseFile(QStringLiteral("euler.log"))).trimmed().split('\n');
    QCOMPARE(lines.mid(lines.size() - 2),
             (QList<QByteArray>{"ERROR: out of memory", "Stopped with exit status 2."}));
}

void TstSolverRun::pocketMeshVolumeAndWidthAreChecked_data()
{
    QTest::addColumn<QByteArray>("pocketRadius");
    QTest::addColumn<double>("clearance");
    QTest::addColumn<bool>("warned");
    // Four pockets of 40 x 200 x 200 mm beside A_p z_min = 0.363 m^2 * 4 mm;
    // a mesh mapped for another pocket radius rv1 still fits the bore.
    QTest::newRow("mapped for this pocket") << QByteArray("100.00000") << 0.0014527 + 4 * 1.6e-3 << false;
    QTest::newRow("mapped for a larger pocket") << QByteArray("60.00000") << 0.0014527 + 4 * 1.6e-3 << true;
}

void TstSolverRun::pocketMeshVolumeAndWidthAreChecked()
{
    QFETCH(QByteArray, pocketRadius);
    QFETCH(double, clearance);
    QFETCH(bool, warned);
    Workspace w;
    prepare(w, QStringLiteral("1.00000"));
    replaceLine(w.file(QStringLiteral("InputValves.txt")), 48, pocketRadius);
    RunOptions options = quiet();
    options.writeSurfaces = false;
    const RunResult result = runLumpedCase(w.root().toStdString(), options);
    QCOMPARE(result.exitCode, 0);
    const double volume = TextFields::number(fieldLines(w.caseFile(QStringLiteral("Output.txt"))).at(1), 9);
    QVERIFY2(std::fabs(volume - clearance) < 1e-6, qPrintable(QString::number(volume)));
    QCOMPARE(readAll(w.caseFile(QStringLiteral("euler.log"))).contains("Warning: the pocket mesh"), warned);
}

// The 3D run's balances in Output.txt close, its valve columns add up to the
// chamber's, and its summary reports the span it ran.
void TstSolverRun::chamberHistoryAndSummaryAgreeWithTheRun()
{
    Workspace w;
    prepare(w, QStringLiteral("40.00000"));
    const chamber::ChamberRunResult result = chamber::runChamberCase(w.root().toStdString(), quietChamber());
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.revolutions.empty());

    const QList<QStringList> history = fieldLines(w.caseFile(QStringLiteral("Output.txt")));
    QCOMPARE(history.size(), 1 + 401);
    const QStringList &last = history.last();
    namespace column = formats::historycolumns;
    const auto at = [&last](int oneBased) { return TextFields::number(last, oneBased); };
    QCOMPARE(at(column::crankAngle), 40.0);
    const double mass = at(column::mass), suction = at(column::suctionMassSum);
    QVERIFY(suction > 0.1 * mass); // the suction valves opened
    QVERIFY(std::fabs(at(column::massBalanceResidual)) < 1e-10 * mass);
    QVERIFY(std::fabs(at(column::energyBalanceResidual)) < 1e-10 * at(column::internalEnergy));
    double suctionMass = 0;
    for (int valve = 1; valve <= 2; ++valve)
        suctionMass += at(column::valveColumn(valve, column::valve::massSum));
    QVERIFY(std::fabs(suctionMass - suction) < 1e-6 * suction);
    // The chamber state as the means over the cells: p = rho R T.
    const double R = specificGasConstant(17.4);
    QVERIFY(std::fabs(at(column::pressure) / (at(column::density) * R * at(column::temperature)) - 1) < 1e-6);

    // The chamber holds the four box pockets of 1.6e-3 m^3 beside the
    // polygon inscribed in the bore times z_min (below A_p z_min); the
    // clearance ratio is that volume over the swept volume.
    const double clearance = TextFields::number(history.at(1), column::volume); // at top dead centre
    const double pockets = 4 * solvertest::samplePocketVolume, round = 0.0014527;
    QVERIFY2(clearance > pockets + 0.95 * round && clearance < pockets + round, qPrintable(QString::number(clearance)));
    const double swept = makeCompressor(solvertest::sampleCylinder(), solvertest::sampleValves()).sweptVolume();
    const QByteArray summary = readAll(w.caseFile(QStringLiteral("Summary.txt")));
    const QByteArray ratio = "Clearance ratio incl. pockets (1) = ";
    const qsizetype at0 = summary.indexOf(ratio);
    QVERIFY(at0 >= 0);
    const double ratioValue = summary.mid(at0 + ratio.size()).split('\n').first().trimmed().toDouble();
    QVERIFY2(std::fabs(ratioValue / (clearance / swept) - 1) < 1e-4, summary.constData());
    QVERIFY(summary.contains("from crank angle 0 to 40 deg (no complete revolution"));
    QVERIFY(summary.contains("Suction mass per revolution (kg) = "));
    const QByteArray log = readAll(w.caseFile(QStringLiteral("euler.log")));
    for (int degree = 5; degree <= 40; degree += 5)
        QVERIFY2(log.contains("\ncrank angle " + QByteArray::number(degree) + " deg: "), qPrintable(QString::number(degree)));
}

// A mesh beyond the memory allowed is refused before it is built, with the
// figure it would need; one beyond any machine also.
void TstSolverRun::chamberRefusesAMeshTooLargeForMemory()
{
    for (const bool wholeMachine : {false, true}) {
        Workspace w;
        prepare(w);
        chamber::ChamberRunOptions options = quietChamber();
        if (wholeMachine)
            replaceLine(w.file(QStringLiteral("InputCylinder.txt")), 30, "10000");
        else
            options.memoryBytes = 1e4; // far below what even this small mesh needs
        const chamber::ChamberRunResult result = chamber::runChamberCase(w.root().toStdString(), options);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.cells, 0LL);
        const QByteArray log = readAll(w.caseFile(QStringLiteral("euler.log")));
        QVERIFY2(log.contains("InputCylinder.txt: the run would need about "), log.constData());
        QVERIFY(log.contains(" GB of memory for the chamber mesh for n1 = "));
        QVERIFY(log.contains(wholeMachine ? ", the machine has " : ", the limit is "));
        QVERIFY(!QFile::exists(w.caseFile(QStringLiteral("Output.txt"))));
    }
}

void TstSolverRun::runBeyondTheFreeDiskSpaceIsRefused_data()
{
    addModelColumn();
    for (const QString &model : models)
        QTest::newRow(qPrintable(model)) << model;
}

// A thousand revolutions write tens of GB: refused against the disk space
// allowed, with the figures, before a file is written.
void TstSolverRun::runBeyondTheFreeDiskSpaceIsRefused()
{
    QFETCH(QString, model);
    Workspace w;
    prepare(w, QStringLiteral("360000"));
    const double disk = 1e9;
    RunStatus status;
    if (model == QLatin1String("lumped")) {
        RunOptions options = quiet();
        options.diskBytes = disk;
        status = runLumpedCase(w.root().toStdString(), options);
    } else {
        chamber::ChamberRunOptions options = quietChamber();
        options.diskBytes = disk;
        status = chamber::runChamberCase(w.root().toStdString(), options);
    }
    QCOMPARE(status.exitCode, 1);
    const QByteArray log = readAll(w.caseFile(QStringLiteral("euler.log")));
    QVERIFY2(log.contains("Run cost (estimate before the first step):"), log.constData());
    QVERIFY2(log.contains(" of 1 GB free disk space"), log.constData());
    QVERIFY2(log.contains(" GB of result files, the case directory's disk has 1 GB free; it is not started"),
             log.constData());
    QVERIFY(!QFile::exists(w.caseFile(QStringLiteral("Output.txt"))));
}

void TstSolverRun::chamberWritesParaViewFiles()
{
    Workspace w;
    prepare(w, QStringLiteral("12.00000"));
    chamber::ChamberRunOptions options = quietChamber();
    options.paraViewIntervalDeg = 5;
    options.writeSurfaces = false;
    const chamber::ChamberRunResult result = chamber::runChamberCase(w.root().toStdString(), options);
    QCOMPARE(result.exitCode, 0);
    for (const char *name : {"vtk/chamber_000.vtu", "vtk/chamber_005.vtu", "vtk/chamber_010.vtu"})
        QVERIFY2(readAll(w.caseFile(QLatin1String(name))).startsWith("<?xml"), name);
    // The pockets' cells (the box pocket's column of two cut in two at the
    // head plane, each half merged into one: four pockets) follow the
    // chamber's, told apart by the region field.
    const QByteArray vtu = readAll(w.caseFile(QStringLiteral("vtk/chamber_005.vtu")));
    QVERIFY(vtu.contains("Name=\"region\""));
    const QByteArray cells = "NumberOfCells=\"";
    const qsizetype c0 = vtu.indexOf(cells) + cells.size();
    const long long count = vtu.mid(c0, vtu.indexOf('"', c0) - c0).toLongLong();
    QCOMPARE(count, result.cells);
    QVERIFY(readAll(w.caseFile(QStringLiteral("euler.log")))
                .contains(QByteArray::number(count - 8) + " cells in the chamber, 2 in each pocket)"));
    QVERIFY(!QFile::exists(w.caseFile(QStringLiteral("vtk/chamber_012.vtu"))));
    const QByteArray pvd = readAll(w.caseFile(QStringLiteral("chamber.pvd")));
    QVERIFY(pvd.contains("<DataSet timestep=\"5\" part=\"0\" file=\"vtk/chamber_005.vtu\"/>"));
    QCOMPARE(pvd.count("<DataSet "), 3);
}

void TstSolverRun::executableRunsInWorkspace_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QByteArray>("banner");
    QTest::newRow("as the front end starts it") << QString() << QByteArray("three-dimensional");
    QTest::newRow("lumped") << QStringLiteral("--lumped") << QByteArray("lumped chamber model");
}

void TstSolverRun::executableRunsInWorkspace()
{
    QFETCH(QString, argument);
    QFETCH(QByteArray, banner);
    Workspace w;
    prepare(w, QStringLiteral("2.10000"));
    QProcess solver;
    solver.setWorkingDirectory(w.file(QStringLiteral("ExecutingFiles")));
    solver.start(QStringLiteral(EULER_EXE), {argument});
    QVERIFY(solver.waitForFinished(60000));
    QCOMPARE(solver.exitStatus(), QProcess::NormalExit);
    QCOMPARE(solver.exitCode(), 0);
    for (const char *name : {"head/head001.txt", "head/head002.txt", "piston/piston002.txt", "side/side002.txt",
                             "Output.txt", "Summary.txt", "euler.log"})
        QVERIFY2(QFile::exists(w.caseFile(QLatin1String(name))), name);
    QVERIFY(!QFile::exists(w.caseFile(QStringLiteral("head/head003.txt"))));
    const QByteArray log = solver.readAllStandardError();
    QVERIFY(log.contains("Finished"));
    QVERIFY(log.startsWith("euler: ") && log.left(log.indexOf('\n')).contains(banner));
}

void TstSolverRun::executableReportsMissingInput()
{
    Workspace w;
    prepare(w);
    QVERIFY(QFile::remove(w.file(QStringLiteral("InputValves.txt"))));
    QProcess solver;
    solver.setWorkingDirectory(w.file(QStringLiteral("ExecutingFiles")));
    solver.start(QStringLiteral(EULER_EXE), {QString()});
    QVERIFY(solver.waitForFinished(60000));
    QCOMPARE(solver.exitCode(), 1);
    QVERIFY(readAll(w.caseFile(QStringLiteral("euler.log"))).contains("InputValves.txt: cannot be opened"));
    QVERIFY(!QFile::exists(w.caseFile(QStringLiteral("Output.txt"))));
}

void TstSolverRun::executableRefusesUnknownArguments()
{
    Workspace w;
    prepare(w);
    QProcess solver;
    solver.setWorkingDirectory(w.file(QStringLiteral("ExecutingFiles")));
    solver.start(QStringLiteral(EULER_EXE), {QStringLiteral("--fast")});
    QVERIFY(solver.waitForFinished(60000));
    QCOMPARE(solver.exitCode(), 1);
    QVERIFY(solver.readAllStandardError().contains("usage: euler.exe"));
    QVERIFY(!QFile::exists(w.caseFile(QStringLiteral("Output.txt"))));
}

void TstSolverRun::runsRaiseNoFloatingPointException_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("phiMax");
    // A whole lumped revolution, the valves opening and closing; the 3D run
    // while the suction valves open.
    QTest::newRow("lumped revolution") << QStringLiteral("--lumped") << QStringLiteral("360.00000");
    QTest::newRow("chamber, suction") << QString() << QStringLiteral("25.00000");
}

// The trap build ends with a signal at the first invalid operation, division
// by zero or overflow.
void TstSolverRun::runsRaiseNoFloatingPointException()
{
    QFETCH(QString, argument);
    QFETCH(QString, phiMax);
    Workspace w;
    prepare(w, phiMax);
    QProcess solver;
    solver.setWorkingDirectory(w.file(QStringLiteral("ExecutingFiles")));
    solver.start(QStringLiteral(EULER_FPTRAPS_EXE), {argument});
    QVERIFY(solver.waitForFinished(120000));
    QCOMPARE(solver.exitStatus(), QProcess::NormalExit);
    QCOMPARE(solver.exitCode(), 0);
    QVERIFY(QFile::exists(w.caseFile(QStringLiteral("side/side") + ResultFile::stepNumber(phiMax.toDouble())
                                     + QStringLiteral(".txt"))));
}

QTEST_GUILESS_MAIN(TstSolverRun)
#include "tst_solverrun.moc"
