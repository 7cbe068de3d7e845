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

#include <array>

using solvertest::SolverWorkspace;

namespace {

// Both models euler.exe runs: the 3D chamber (the front end's empty
// argument) and the lumped model.
struct Model
{
    const char *name;
    QString argument;
};
const std::array<Model, 2> &models()
{
    static const std::array<Model, 2> all{{{"3D", QString()}, {"lumped", QStringLiteral("--lumped")}}};
    return all;
}

} // namespace

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
    QTest::addColumn<QString>("model");    // euler.exe's argument
    QTest::addColumn<QString>("input");    // under data/inputs
    QTest::addColumn<QString>("replaces"); // the workspace file it stands for
    QTest::addColumn<QByteArray>("reason");

    const QString cylinder = QLatin1String(layout::cylinderInput);
    const QString valves = QLatin1String(layout::valveInput);
    const struct { const char *name; const char *input; QString replaces; const char *reason; } rows[] = {
        {"speed 1e300 rpm", "cylinder_speed_1e300.txt", cylinder,
         "crank shaft speed must lie between 0.001 and 100000, not 1e+300"},
        {"gap 1e-300", "cylinder_gap_1e-300.txt", cylinder, "minimal gap z_min must lie between 1e-06 and 100, not 1e-300"},
        {"subnormal gap", "cylinder_gap_subnormal.txt", cylinder,
         "minimal gap z_min must lie between 1e-06 and 100, not 1e-308"},
        {"suction pressure 1e300", "cylinder_suction_pressure_1e300.txt", cylinder,
         "suction pressure must lie between 0.001 and 1e+10"},
        {"piston diameter 1e300", "cylinder_piston_diameter_1e300.txt", cylinder,
         "piston diameter must lie between 1e-06 and 100"},
        {"piston diameter past the largest double", "cylinder_piston_diameter_1e309.txt", cylinder,
         "piston diameter is not a number: \"1e309\""},
        {"Courant number 1e-9", "cylinder_courant_1e-9.txt", cylinder, " time steps, more than 1e+09"},
        {"plate mass 1e-300", "valves_plate_mass_1e-300.txt", valves,
         "suction valve: plate mass must lie between 1e-06 and 1000"},
        {"pocket angles 1e308", "valves_pocket_angles_1e308.txt", valves,
         "suction valve 1: pocket angle must lie between -3600 and 3600"},
        {"mesh scale 1e300", "pocketmesh_scale_1e300.txt", QString::fromLatin1(layout::pocketMeshInput),
         "grid scaling factor must lie between 1e-09 and 1000"},
        {"2000000000 nodes", "mesh_2000000000_nodes.msh", QStringLiteral("dP=680mm.msh"),
         "ends early: node count 2000000000 exceeds the 1 lines that follow"},
        {"100000000 nodes, one node line", "mesh_100000000_nodes.msh", QStringLiteral("dP=680mm.msh"),
         "ends early: node count 100000000 exceeds the 3 lines that follow"},
    };
    for (const auto &[modelName, argument] : models()) {
        for (const auto &r : rows)
            QTest::addRow("%s, %s", modelName, r.name) << argument << r.input << r.replaces << QByteArray(r.reason);
    }
}

void TstHostileInputs::refusedWithReason()
{
    QFETCH(QString, model);
    QFETCH(QString, input);
    QFETCH(QString, replaces);
    QFETCH(QByteArray, reason);
    SolverWorkspace w;
    QVERIFY(w.prepare());
    QVERIFY(w.copy(QFINDTESTDATA(QStringLiteral("data/inputs/") + input), replaces));

    int exitCode = -1;
    QVERIFY2(w.run(QStringLiteral(EULER_FPTRAPS_EXE), {model}, 60, &exitCode), w.standardError().constData());
    QCOMPARE(exitCode, 1);
    const QByteArray log = w.readAll(QStringLiteral("Case680mm/") + QLatin1String(formats::solverlog::fileName));
    QVERIFY2(log.contains(formats::solverlog::errorPrefix), log.constData());
    QVERIFY2(log.contains(reason), log.constData());
    QVERIFY(log.contains(QByteArray(formats::solverlog::stoppedPrefix) + "1."));
    QVERIFY(!QFile::exists(w.caseFile(QLatin1String(formats::caselayout::historyFile))));
}

// Every input at the ends of its range, one at a time, for a degree and a
// half of crank angle, in both models: the trap build either runs it to the
// end, writing only finite numbers, or stops with a reason (a rule between
// inputs, a run too costly, divergence), never with a signal. The 3D model
// runs a chamber of one layer of 20 cells, so that each run takes a moment.
void TstHostileInputs::extremeValuesRunOrStopCleanly_data()
{
    namespace layout = formats::caselayout;
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("phiMax");

    struct Line { const char *name; int line; const char *low; const char *high; };
    const Line cylinderLines[] = {
        {"d_P", 6, "0.000001", "100"}, {"d_R", 8, "0", "0.67"}, {"z_min", 10, "0.000001", "100"},
        {"r", 12, "0.000001", "0.54"}, {"L", 14, "0.12", "100"}, {"speed", 16, "0.001", "100000"},
        {"gamma", 20, "1.00001", "1.99999"}, {"p_s", 22, "0.001", "4499999"}, {"p_d", 24, "2000001", "1e10"},
        {"rho_s", 26, "0.000001", "100000"}, {"n1", 30, "1", "10000"}, {"n2", 32, "0", "10000"},
        {"n3", 34, "1", "10000"}, {"grading_P", 36, "0.00001", "0.99999"}, {"grading_R", 38, "0.00001", "0.99999"},
        {"Courant", 40, "0.001", "1000"}, {"molar mass", 44, "0.00002", "10000"}, {"viscosity", 46, "1e-300", "1000"},
    };
    const Line valveLines[] = {
        {"d_V", 2, "0.000001", "100"}, {"angles", 8, "-3600 -3600", "3600 3600"}, {"x_max", 10, "0.000001", "100"},
        {"fe1mm", 12, "1e-300", "1000"}, {"alpha", 14, "1e-300", "1"}, {"beta", 16, "0", "1e12"},
        {"plate mass", 18, "0.000001", "1000"}, {"force area", 20, "1e-300", "100"},
        {"stiffness", 22, "0", "1e12"}, {"spring length", 24, "0", "100"},
        {"rv1", 48, "0.001", "339"}, {"hk1", 50, "0.001", "322"}, {"hv1", 52, "15", "100000"},
    };
    const QString cylinder = QLatin1String(layout::cylinderInput);
    const QString valves = QLatin1String(layout::valveInput);
    const QString pocketMesh = QLatin1String(layout::pocketMeshInput);
    // Ends that take the 3D model many steps per degree (the thinnest cells,
    // the fastest sound, the slowest crank, the smallest Courant number, the
    // fastest plates) run a shorter span there.
    const QHash<QByteArray, QByteArray> shorterSpans = {
        {"z_min 0.000001", "0.001"}, {"n3 10000", "0.000001"}, {"speed 0.001", "0.0001"},
        {"rho_s 0.000001", "0.001"}, {"Courant 0.001", "0.1"}, {"p_d 1e10", "0.2"},
        {"force area 100", "0.1"}, {"alpha 1e-300", "0.3"},
    };
    for (const Model &m : models()) {
        const auto add = [&](const char *name, const char *value, const QString &file, int line) {
            const QByteArray row = QByteArray(name) + ' ' + value;
            const QByteArray span = m.argument.isEmpty() ? shorterSpans.value(row, "1.5") : QByteArray("1.5");
            QTest::addRow("%s, %s", m.name, row.constData()) << m.argument << file << line << QByteArray(value) << span;
        };
        for (const Line &l : cylinderLines) {
            add(l.name, l.low, cylinder, l.line);
            add(l.name, l.high, cylinder, l.line);
        }
        for (const Line &l : valveLines) {
            add(l.name, l.low, valves, l.line);
            add(l.name, l.high, valves, l.line);
        }
        add("mesh scale", "1e-9", pocketMesh, 5);
        add("mesh scale", "0.29", pocketMesh, 5);
    }
}

void TstHostileInputs::extremeValuesRunOrStopCleanly()
{
    namespace layout = formats::caselayout;
    QFETCH(QString, model);
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, phiMax);
    SolverWorkspace w;
    QVERIFY(w.prepare());
    const QString cylinder = QLatin1String(layout::cylinderInput);
    QVERIFY(w.replaceLine(cylinder, 42, phiMax));
    // n1 = 1, n2 = 0, n3 = 1 unless the row sets them.
    QVERIFY(w.replaceLine(cylinder, 30, "1") && w.replaceLine(cylinder, 32, "0") && w.replaceLine(cylinder, 34, "1"));
    QVERIFY(w.replaceLine(file, line, text));

    int exitCode = -1;
    QVERIFY2(w.run(QStringLiteral(EULER_FPTRAPS_EXE), {model}, 60, &exitCode), w.standardError().constData());
    const QByteArray log = w.readAll(QStringLiteral("Case680mm/") + QLatin1String(formats::solverlog::fileName));
    if (exitCode != 0) {
        QVERIFY2(exitCode == 1 || exitCode == 3, log.constData());
        QVERIFY2(log.contains(formats::solverlog::errorPrefix), log.constData());
        return;
    }
    QStringList written{QLatin1String(layout::historyFile), QLatin1String(layout::summaryFile)};
    if (phiMax.toDouble() >= 1) {
        for (const layout::Surface surface : layout::surfaces)
            written << QString::fromStdString(std::string(layout::surfaceName(surface)) + '/'
                                              + layout::resultFileName(surface, 1));
    }
    for (const QString &name : written) {
        const QByteArray content = w.readAll(QStringLiteral("Case680mm/") + name).toLower();
        QVERIFY2(!content.isEmpty(), qPrintable(name));
        QVERIFY2(!content.contains("nan") && !content.contains("inf"), qPrintable(name));
    }
}

// Without a case directory the reason goes to euler.log in the root, where
// the front end looks for it.
void TstHostileInputs::unusableCaseNameIsLoggedInTheRoot_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("input"); // a cylinder file under data/inputs
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("reason");
    for (const Model &m : models())
        QTest::addRow("%s, 300 characters", m.name)
            << m.argument << "cylinder_case_name_300.txt" << 1
            << QByteArray("case name is 300 bytes long, more than the 255 a directory name can be");
}

void TstHostileInputs::unusableCaseNameIsLoggedInTheRoot()
{
    QFETCH(QString, model);
    QFETCH(QString, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, reason);
    SolverWorkspace w;
    QVERIFY(w.prepare());
    QVERIFY(w.copy(QFINDTESTDATA(QStringLiteral("data/inputs/") + input),
                   QLatin1String(formats::caselayout::cylinderInput)));

    int status = -1;
    QVERIFY2(w.run(QStringLiteral(EULER_FPTRAPS_EXE), {model}, 60, &status), w.standardError().constData());
    QCOMPARE(status, exitCode);
    const QByteArray log = w.readAll(QLatin1String(formats::solverlog::fileName));
    QVERIFY2(log.contains(QByteArray(formats::solverlog::errorPrefix)), log.constData());
    QVERIFY2(log.contains(reason), log.constData());
    QVERIFY(log.contains(QByteArray(formats::solverlog::stoppedPrefix) + QByteArray::number(exitCode) + "."));
}

QTEST_GUILESS_MAIN(TstHostileInputs)
#include "tst_hostileinputs.moc"
