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

QTEST_GUILESS_MAIN(TstHostileInputs)
#include "tst_hostileinputs.moc"
