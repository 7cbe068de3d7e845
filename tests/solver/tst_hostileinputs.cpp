// Inputs an attacker or a slip of the keyboard could give the solver: numbers
// at the edge of double, magnitudes no compressor has, meshes that promise
// more than they hold. The trap build, which ends with a signal at the first
// floating-point overflow, invalid operation or division by zero, must refuse
// each with the reason in euler.log and exit status 1, without writing any
// result.
#include "solverworkspace.h"

#include "formats/caselayout.h"
#include "formats/solverlog.h"

#include <QtTest>

using solvertest::SolverWorkspace;

class TstHostileInputs : public QObject
{
    Q_OBJECT

private slots:
    void refusedWithReason_data();
    void refusedWithReason();
    void extremeValuesRunOrStopCleanly_data();
    void extremeValuesRunOrStopCleanly();
    void unusableCaseNameIsLoggedInTheRoot_data();
    void unusableCaseNameIsLoggedInTheRoot();
};

void TstHostileInputs::refusedWithReason_data()
{
    namespace layout = formats::caselayout;
    QTest::addColumn<QString>("input");    // under data/inputs
    QTest::addColumn<QString>("replaces"); // the workspace file it stands for
    QTest::addColumn<QByteArray>("reason");

    const QString cylinder = QLatin1String(layout::cylinderInput);
    const QString valves = QLatin1String(layout::valveInput);
    QTest::newRow("speed 1e300 rpm") << "cylinder_speed_1e300.txt" << cylinder
                                     << QByteArray("crank shaft speed must lie between 0.001 and 100000, not 1e+300");
    QTest::newRow("gap 1e-300") << "cylinder_gap_1e-300.txt" << cylinder
                                << QByteArray("minimal gap z_min must lie between 1e-06 and 100, not 1e-300");
    QTest::newRow("subnormal gap") << "cylinder_gap_subnormal.txt" << cylinder
                                   << QByteArray("minimal gap z_min must lie between 1e-06 and 100, not 1e-308");
    QTest::newRow("suction pressure 1e300") << "cylinder_suction_pressure_1e300.txt" << cylinder
                                            << QByteArray("suction pressure must lie between 0.001 and 1e+10");
    QTest::newRow("piston diameter 1e300") << "cylinder_piston_diameter_1e300.txt" << cylinder
                                           << QByteArray("piston diameter must lie between 1e-06 and 100");
    QTest::newRow("piston diameter past the largest double") << "cylinder_piston_diameter_1e309.txt" << cylinder
                                                              << QByteArray("piston diameter is not a number: \"1e309\"");
    QTest::newRow("plate mass 1e-300") << "valves_plate_mass_1e-300.txt" << valves
                                       << QByteArray("suction valve: plate mass must lie between 1e-06 and 1000");
    QTest::newRow("pocket angles 1e308") << "valves_pocket_angles_1e308.txt" << valves
                                         << QByteArray("suction valve 1: pocket angle must lie between -3600 and 3600");
    QTest::newRow("mesh scale 1e300") << "pocketmesh_scale_1e300.txt" << QString::fromLatin1(layout::pocketMeshInput)
                                      << QByteArray("grid scaling factor must lie between 1e-09 and 1000");
    QTest::newRow("2000000000 nodes") << "mesh_2000000000_nodes.msh" << "dP=680mm.msh"
                                      << QByteArray("ends early: node count 2000000000 but only 1 lines follow");
    QTest::newRow("100000000 nodes, one node line") << "mesh_100000000_nodes.msh" << "dP=680mm.msh"
                                                    << QByteArray("ends early: node count 100000000 but only 3 lines follow");
}

void TstHostileInputs::refusedWithReason()
{
    QFETCH(QString, input);
    QFETCH(QString, replaces);
    QFETCH(QByteArray, reason);
    SolverWorkspace w;
    QVERIFY(w.prepare());
    QVERIFY(w.copy(QFINDTESTDATA(QStringLiteral("data/inputs/") + input), replaces));

    int exitCode = -1;
    QVERIFY2(w.run(QStringLiteral(EULER_FPTRAPS_EXE), {QString()}, 60, &exitCode), w.standardError().constData());
    QCOMPARE(exitCode, 1);
    const QByteArray log = w.readAll(QStringLiteral("Case680mm/") + QLatin1String(formats::solverlog::fileName));
    QVERIFY2(log.contains(formats::solverlog::errorPrefix), log.constData());
    QVERIFY2(log.contains(reason), log.constData());
    QVERIFY(log.contains(QByteArray(formats::solverlog::stoppedPrefix) + "1."));
    QVERIFY(!QFile::exists(w.caseFile(QLatin1String(formats::caselayout::historyFile))));
}

// Every input at the ends of its range, one at a time, for a degree and a
// half of crank angle: the trap build either runs it to the end, writing only
// finite numbers, or stops with a reason (a rule between inputs, a run too
// costly, divergence), never with a signal.
void TstHostileInputs::extremeValuesRunOrStopCleanly_data()
{
    namespace layout = formats::caselayout;
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("text");

    const QString cylinder = QLatin1String(layout::cylinderInput);
    const QString valves = QLatin1String(layout::valveInput);
    const struct { const char *name; int line; const char *low; const char *high; } cylinderLines[] = {
        {"d_P", 6, "0.000001", "100"}, {"d_R", 8, "0", "0.67"}, {"z_min", 10, "0.000001", "100"},
        {"r", 12, "0.000001", "0.54"}, {"L", 14, "0.12", "100"}, {"speed", 16, "0.001", "100000"},
        {"gamma", 20, "1.00001", "1.99999"}, {"p_s", 22, "0.001", "4499999"}, {"p_d", 24, "2000001", "1e10"},
        {"rho_s", 26, "0.000001", "100000"}, {"n1", 30, "1", "10000"}, {"n2", 32, "0", "10000"},
        {"n3", 34, "1", "10000"}, {"grading_P", 36, "0.00001", "0.99999"}, {"grading_R", 38, "0.00001", "0.99999"},
        {"Courant", 40, "0.001", "1000"}, {"molar mass", 44, "0.00002", "10000"}, {"viscosity", 46, "1e-300", "1000"},
    };
    for (const auto &l : cylinderLines) {
        QTest::addRow("%s %s", l.name, l.low) << cylinder << l.line << QByteArray(l.low);
        QTest::addRow("%s %s", l.name, l.high) << cylinder << l.line << QByteArray(l.high);
    }
    const struct { const char *name; int line; const char *low; const char *high; } valveLines[] = {
        {"d_V", 2, "0.000001", "100"}, {"angles", 8, "-3600 -3600", "3600 3600"}, {"x_max", 10, "0.000001", "100"},
        {"fe1mm", 12, "1e-300", "1000"}, {"alpha", 14, "1e-300", "1"}, {"beta", 16, "0", "1e12"},
        {"plate mass", 18, "0.000001", "1000"}, {"force area", 20, "1e-300", "100"},
        {"stiffness", 22, "0", "1e12"}, {"spring length", 24, "0", "100"},
        {"rv1", 48, "0.001", "339"}, {"hk1", 50, "0.001", "322"}, {"hv1", 52, "15", "100000"},
    };
    for (const auto &l : valveLines) {
        QTest::addRow("valves %s %s", l.name, l.low) << valves << l.line << QByteArray(l.low);
        QTest::addRow("valves %s %s", l.name, l.high) << valves << l.line << QByteArray(l.high);
    }
    const QString pocketMesh = QLatin1String(layout::pocketMeshInput);
    QTest::newRow("mesh scale 1e-9") << pocketMesh << 5 << QByteArray("1e-9");
    QTest::newRow("mesh scale 0.29") << pocketMesh << 5 << QByteArray("0.29");
}

void TstHostileInputs::extremeValuesRunOrStopCleanly()
{
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(QByteArray, text);
    SolverWorkspace w;
    QVERIFY(w.prepare());
    QVERIFY(w.replaceLine(QLatin1String(formats::caselayout::cylinderInput), 42, "1.5")); // phiMax
    QVERIFY(w.replaceLine(file, line, text));

    int exitCode = -1;
    QVERIFY2(w.run(QStringLiteral(EULER_FPTRAPS_EXE), {QString()}, 60, &exitCode), w.standardError().constData());
    const QByteArray log = w.readAll(QStringLiteral("Case680mm/") + QLatin1String(formats::solverlog::fileName));
    if (exitCode != 0) {
        QVERIFY2(exitCode == 1 || exitCode == 3, log.constData());
        QVERIFY2(log.contains(formats::solverlog::errorPrefix), log.constData());
        return;
    }
    for (const char *name : {"Output.txt", "Summary.txt", "head/head001.txt", "piston/piston001.txt", "side/side001.txt"}) {
        const QByteArray content = w.readAll(QStringLiteral("Case680mm/") + QLatin1String(name)).toLower();
        QVERIFY2(!content.isEmpty(), name);
        QVERIFY2(!content.contains("nan") && !content.contains("inf"), name);
    }
}

// Without a case directory the reason goes to euler.log in the root, where
// the front end looks for it.
void TstHostileInputs::unusableCaseNameIsLoggedInTheRoot_data()
{
    QTest::addColumn<QString>("input"); // a cylinder file under data/inputs
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("300 characters") << "cylinder_case_name_300.txt" << 1
                                    << QByteArray("case name is 300 bytes long, more than the 255 a directory name can be");
}

void TstHostileInputs::unusableCaseNameIsLoggedInTheRoot()
{
    QFETCH(QString, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, reason);
    SolverWorkspace w;
    QVERIFY(w.prepare());
    QVERIFY(w.copy(QFINDTESTDATA(QStringLiteral("data/inputs/") + input),
                   QLatin1String(formats::caselayout::cylinderInput)));

    int status = -1;
    QVERIFY2(w.run(QStringLiteral(EULER_FPTRAPS_EXE), {QString()}, 60, &status), w.standardError().constData());
    QCOMPARE(status, exitCode);
    const QByteArray log = w.readAll(QLatin1String(formats::solverlog::fileName));
    QVERIFY2(log.contains(QByteArray(formats::solverlog::errorPrefix)), log.constData());
    QVERIFY2(log.contains(reason), log.constData());
    QVERIFY(log.contains(QByteArray(formats::solverlog::stoppedPrefix) + QByteArray::number(exitCode) + "."));
}

QTEST_GUILESS_MAIN(TstHostileInputs)
#include "tst_hostileinputs.moc"
