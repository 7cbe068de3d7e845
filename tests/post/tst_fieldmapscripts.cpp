// Map names and the gnuplot scripts of head, piston and side wall, line for line.
#include <QtTest>

#include "post/fieldmapscripts.h"

using namespace FieldMaps;

namespace {

const QList<double> noAngles{0, 0, 0, 0, 0};

QString definitionPrefix(const QString &kind, int k)
{
    return QStringLiteral("alpha%1%2=").arg(k).arg(kind);
}

} // namespace

class TestFieldMapScripts : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();

    void planarScripts();
    void sideColourScript_data();
    void sideColourScript();
    void sideVelocityScript();

    void plotCommandExample();
    void fiveAndFivePockets();
    void oneAndOnePocket();
    void pocketAngleInRadians_data();
    void pocketAngleInRadians();
    void noPlotCommandOutsideOneToFive_data();
    void noPlotCommandOutsideOneToFive();
};

void TestFieldMapScripts::names_data()
{
    QTest::addColumn<int>("surface");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("gridCopy");
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>("firstDiagnostic");

    QTest::newRow("head") << 0 << "head007.txt" << "head007_mod.txt" << "../Case680mm/head/head007"
                          << "Our current working directory is:";
    QTest::newRow("piston") << 1 << "piston007.txt" << "piston007_mod.txt"
                            << "../Case680mm/piston/piston007" << "Out current working directory is:";
    QTest::newRow("side") << 2 << "side007.txt" << "side007_mod.txt" << "../Case680mm/side/side007"
                          << "Out current working directory is:";
}

void TestFieldMapScripts::names()
{
    QFETCH(int, surface);
    QFETCH(QString, result);
    QFETCH(QString, gridCopy);
    QFETCH(QString, stem);
    QFETCH(QString, firstDiagnostic);
    const Surface &s = surface == 0 ? headSurface() : surface == 1 ? pistonSurface() : sideSurface();

    QCOMPARE(resultFileName(s, 7), result);
    QCOMPARE(gridCopyFileName(s, 7), gridCopy);
    const StepFiles files = stepFiles(QStringLiteral("Case680mm"), s, 7);
    QCOMPARE(files.gridCopy, stem + "_mod.txt");
    QCOMPARE(files.density, stem + "_density.png");
    QCOMPARE(files.pressure, stem + "_pressure.png");
    QCOMPARE(files.velocity, stem + "_velocity.png");
    QCOMPARE(s.firstDiagnostic, firstDiagnostic);
    QCOMPARE(scriptNames(), (QStringList{"gp_d.txt", "gp_p.txt", "gp_v.txt"}));
}

void TestFieldMapScripts::planarScripts()
{
    const StepFiles files = stepFiles(QStringLiteral("C"), headSurface(), 1);
    const QStringList densityScript{
        "set terminal png size 1024,768",
        "set output '../C/head/head001_density.png'",
        "set pm3d map",
        "set size square",
        "set palette rgb 33,13,10",
        "set cblabel 'density [kg/m3]'",
        "unset border",
        "unset xtics",
        "unset ytics",
        "splot '../C/head/head001_mod.txt' using 4:5:7 notitle",
        "set output"};
    QCOMPARE(planarColourScript(density(), files.density, files.gridCopy), densityScript);

    QStringList pressureScript = densityScript;
    pressureScript[1] = "set output '../C/head/head001_pressure.png'";
    pressureScript[5] = "set cblabel 'pressure [Pa]'";
    pressureScript[9] = "splot '../C/head/head001_mod.txt' using 4:5:8 notitle";
    QCOMPARE(planarColourScript(pressure(), files.pressure, files.gridCopy), pressureScript);

    QCOMPARE(planarVelocityScript(files, 0.004),
             (QStringList{"set terminal png size 1024,768",
                          "set output '../C/head/head001_velocity.png'",
                          "set size square",
                          "du(u)=(4.00e-03)*u",
                          "dv(v)=(4.00e-03)*v",
                          "unset border",
                          "unset xtics",
                          "unset ytics",
                          "plot '../C/head/head001_mod.txt' using ($4-du($9)):($5-dv($10)):"
                          "(2*du($9)):(2*dv($10)) with vectors notitle"}));
}

void TestFieldMapScripts::sideColourScript_data()
{
    QTest::addColumn<bool>("isDensity");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<QString>("cblabel");
    QTest::addColumn<QString>("cbrange");

    QTest::newRow("density") << true << 1.1 << 1.3 << "set cblabel 'density [kg/m3]'"
                             << "set cbrange [1.1:1.3]";
    QTest::newRow("pressure") << false << 99500.5 << 1.2e6 << "set cblabel 'pressure [Pa]'"
                              << "set cbrange [99500.5:1.2e+06]";
    QTest::newRow("missing result file") << true << 1e10 << 0.0 << "set cblabel 'density [kg/m3]'"
                                         << "set cbrange [1e+10:0]";
    // gnuplot cannot draw an empty range: a uniform wall gets 1 % each way.
    QTest::newRow("uniform density") << true << 1.2 << 1.2 << "set cblabel 'density [kg/m3]'"
                                     << "set cbrange [1.188:1.212]";
    QTest::newRow("equal to 6 digits") << false << 100000.01 << 100000.02
                                       << "set cblabel 'pressure [Pa]'" << "set cbrange [99000:101000]";
    QTest::newRow("uniform zero") << true << 0.0 << 0.0 << "set cblabel 'density [kg/m3]'"
                                  << "set cbrange [-1:1]";
}

void TestFieldMapScripts::sideColourScript()
{
    QFETCH(bool, isDensity);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(QString, cblabel);
    QFETCH(QString, cbrange);
    ValueRange range;
    range.min = min;
    range.max = max;
    const QString map = QStringLiteral("../C/side/side002_%1.png").arg(isDensity ? "density" : "pressure");

    QCOMPARE(sideColourScriptHead(isDensity ? density() : pressure(), map, 0.34, 0.1, range),
             (QStringList{"set view 15,30",
                          "set terminal png size 1024,768",
                          "set output '" + map + "'",
                          "set palette rgb 33,13,10",
                          cblabel,
                          "r1=0.34",
                          "r2=0.1",
                          "set parametric",
                          "set urange[0:3.14]",
                          "set pm3d",
                          cbrange}));
    QCOMPARE(sideColourScriptTail(), QStringLiteral("set output"));
    QCOMPARE((isDensity ? density() : pressure()).sideField, isDensity ? 8 : 9);
}

void TestFieldMapScripts::sideVelocityScript()
{
    const StepFiles files = stepFiles(QStringLiteral("C"), sideSurface(), 2);
    QCOMPARE(FieldMaps::sideVelocityScript(files, 0.02),
             (QStringList{"set terminal png size 1024,768",
                          "set output '../C/side/side002_velocity.png'",
                          "du(u)=(2.00e-02)*u",
                          "dv(v)=(2.00e-02)*v",
                          "unset border",
                          "unset xtics",
                          "unset ytics",
                          "plot '../C/side/side002_mod.txt' using ($7-du($10)):($6-dv($11)):"
                          "(2*du($10)):(2*dv($11)) with vectors notitle"}));
}

void TestFieldMapScripts::plotCommandExample()
{
    const QStringList lines = pocketPlotLines(8, 2, 1, "../Case680mm/side/side001_mod.txt",
                                              {10, 20, 0, 0, 0}, {30, 0, 0, 0, 0});
    QCOMPARE(lines.size(), 13);
    QCOMPARE(lines.at(0), QStringLiteral("alpha2SV=0.348889"));
    QCOMPARE(lines.at(4), QStringLiteral("alpha1SV=0.174444"));
    QCOMPARE(lines.at(8), QStringLiteral("alpha1DV=0.523333"));
    QCOMPARE(lines.at(9),
             QStringLiteral("DV1x(u)=((r1**2-(r2**2)*(cos(u))**2)**0.5)*cos(alpha1DV)-r2*cos(u)*sin(alpha1DV)"));
    QCOMPARE(lines.at(10),
             QStringLiteral("DV1y(u)=((r1**2-(r2**2)*(cos(u))**2)**0.5)*sin(alpha1DV)+r2*cos(u)*cos(alpha1DV)"));
    QCOMPARE(lines.at(11), QStringLiteral("DV1z(u)=r2*sin(u)"));
    QCOMPARE(lines.last(),
             QStringLiteral("splot '../Case680mm/side/side001_mod.txt' using 4:5:6:8 notitle w pm3d,"
                            "DV1x(u),DV1y(u),DV1z(u) notitle,SV1x(u),SV1y(u),SV1z(u) notitle,"
                            "SV2x(u),SV2y(u),SV2z(u) notitle"));
}

void TestFieldMapScripts::fiveAndFivePockets()
{
    const QStringList lines = pocketPlotLines(9, 5, 5, "g.txt", noAngles, noAngles);
    QCOMPARE(lines.size(), 41);
    for (int i = 0; i < 5; ++i) {
        const int k = 5 - i;
        QVERIFY(lines.at(4 * i).startsWith(definitionPrefix("SV", k)));
        QVERIFY(lines.at(4 * i + 3) == QStringLiteral("SV%1z(u)=r2*sin(u)").arg(k));
        QVERIFY(lines.at(20 + 4 * i).startsWith(definitionPrefix("DV", k)));
        QVERIFY(lines.at(20 + 4 * i + 1).startsWith(QStringLiteral("DV%1x(u)=").arg(k)));
    }
    QStringList curves;
    for (const char *kind : {"DV", "SV"})
        for (int k = 1; k <= 5; ++k)
            curves << QStringLiteral("%1%2x(u),%1%2y(u),%1%2z(u) notitle").arg(kind).arg(k);
    QCOMPARE(lines.last(), "splot 'g.txt' using 4:5:6:9 notitle w pm3d," + curves.join(','));
}

void TestFieldMapScripts::oneAndOnePocket()
{
    const QStringList lines = pocketPlotLines(8, 1, 1, "g.txt", noAngles, noAngles);
    QCOMPARE(lines.size(), 9);
    QVERIFY(lines.last().endsWith(QStringLiteral("notitle w pm3d,DV1x(u),DV1y(u),DV1z(u) notitle,"
                                                 "SV1x(u),SV1y(u),SV1z(u) notitle")));
}

void TestFieldMapScripts::pocketAngleInRadians_data()
{
    QTest::addColumn<double>("degrees");
    QTest::addColumn<QString>("line");

    QTest::newRow("90 degrees, factor 3.14/180") << 90.0 << "alpha1SV=1.57";
    QTest::newRow("zero") << 0.0 << "alpha1SV=0";
    QTest::newRow("negative") << -45.0 << "alpha1SV=-0.785";
}

void TestFieldMapScripts::pocketAngleInRadians()
{
    QFETCH(double, degrees);
    QFETCH(QString, line);
    QCOMPARE(pocketPlotLines(8, 1, 1, "g.txt", {degrees}, {}).first(), line);
}

void TestFieldMapScripts::noPlotCommandOutsideOneToFive_data()
{
    QTest::addColumn<int>("nSuction");
    QTest::addColumn<int>("nDischarge");
    QTest::addColumn<int>("definitionLines");

    QTest::newRow("nD = 0") << 2 << 0 << 8;
    QTest::newRow("nS = 0") << 0 << 3 << 12;
    QTest::newRow("nS = 6") << 6 << 1 << 4;
    QTest::newRow("nD = -1") << 1 << -1 << 4;
    QTest::newRow("both 6") << 6 << 6 << 0;
}

void TestFieldMapScripts::noPlotCommandOutsideOneToFive()
{
    QFETCH(int, nSuction);
    QFETCH(int, nDischarge);
    QFETCH(int, definitionLines);
    const QStringList lines = pocketPlotLines(8, nSuction, nDischarge, "g.txt", noAngles, noAngles);
    QCOMPARE(lines.size(), definitionLines);
    for (const QString &line : lines)
        QVERIFY2(!line.startsWith(QStringLiteral("splot")), qPrintable(line));
}

QTEST_APPLESS_MAIN(TestFieldMapScripts)
#include "tst_fieldmapscripts.moc"
