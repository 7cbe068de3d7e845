#include "post/alphacoefficient.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace AlphaCoefficient;

Q_DECLARE_METATYPE(AlphaCoefficient::Gas)
Q_DECLARE_METATYPE(AlphaCoefficient::Surface)

namespace {

constexpr double undefined = std::numeric_limits<double>::quiet_NaN();

// gamma 1.4, empty molar mass, d_P 0.2 m, mu 1.8e-05 Pa s.
Gas workedExampleGas()
{
    return makeGas(0.2, 1.4, 0.0, 1.8e-05);
}

QString fixture(const QString &relative)
{
    return QFINDTESTDATA(QStringLiteral("data/Case/") + relative);
}

SurfaceSample sampleOf(const QString &relative, Surface surface)
{
    QFile file(fixture(relative));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return readSample(file, surface);
}

} // namespace

class TestAlphaCoefficient : public QObject
{
    Q_OBJECT

private slots:
    void gasConstant_data();
    void gasConstant();
    void specificHeatOfAir();
    void coefficientInStatedOrder_data();
    void coefficientInStatedOrder();
    void undefinedCoefficient_data();
    void undefinedCoefficient();
    void sampleFromResultFile_data();
    void sampleFromResultFile();
    void sampleWithoutPositivePressureIsUndefined();
    void missingResultFileIsUndefined();
    void tableLine_data();
    void tableLine();
    void writeTableReportsFailure();
    void plotScript();
    void locateCase_data();
    void locateCase();
};

void TestAlphaCoefficient::gasConstant_data()
{
    QTest::addColumn<double>("molarMass");
    QTest::addColumn<double>("expected");
    QTest::newRow("air") << 28.96 << 287.085635359116;
    QTest::newRow("at the threshold") << 1e-05 << 287.0;
    QTest::newRow("empty field") << 0.0 << 287.0;
    QTest::newRow("negative") << -4.0 << 287.0;
    QTest::newRow("just above the threshold") << 2e-05 << 8.314 / (2e-05 * 0.001);
}

void TestAlphaCoefficient::gasConstant()
{
    QFETCH(double, molarMass);
    QFETCH(double, expected);
    QCOMPARE(AlphaCoefficient::gasConstant(molarMass), expected);
}

void TestAlphaCoefficient::specificHeatOfAir()
{
    QCOMPARE(specificHeat(1.4, 287.0), 1004.5);
    QCOMPARE(workedExampleGas().length, 0.1);
}

void TestAlphaCoefficient::coefficientInStatedOrder_data()
{
    // Expected values formed as cp*rho*U*1.1494252873563218 first, then times
    // (0.615/ln Re)^2, in IEEE doubles.
    QTest::addColumn<double>("density");
    QTest::addColumn<double>("meanSpeed");
    QTest::addColumn<double>("expected");
    QTest::newRow("worked example") << 1.2 << 10.0 << 42.47492515524452;
    QTest::newRow("dense gas") << 2.4 << 10.0 << 75.26332970271834;
    QTest::newRow("fast flow") << 1.1 << 50.0 << 150.5721622680575;
    QTest::newRow("slow flow") << 1.1 << 5.0 << 22.520077042993297;
}

void TestAlphaCoefficient::coefficientInStatedOrder()
{
    QFETCH(double, density);
    QFETCH(double, meanSpeed);
    QFETCH(double, expected);
    const double alpha = coefficient(density, meanSpeed, workedExampleGas());
    QCOMPARE(qFloatDistance(alpha, expected), quint64(0));
}

void TestAlphaCoefficient::undefinedCoefficient_data()
{
    QTest::addColumn<double>("density");
    QTest::addColumn<double>("meanSpeed");
    QTest::addColumn<Gas>("gas");
    Gas unit;
    unit.cp = 1000;
    unit.viscosity = 1;
    unit.length = 1;
    QTest::newRow("still gas, Re 0") << 1.2 << 0.0 << workedExampleGas();
    QTest::newRow("Re below 1") << 1.2 << 1e-05 << workedExampleGas();
    QTest::newRow("Re exactly 1") << 1.0 << 1.0 << unit;
    QTest::newRow("zero density") << 0.0 << 10.0 << workedExampleGas();
    QTest::newRow("no viscosity, Re infinite") << 1.2 << 10.0 << makeGas(0.2, 1.4, 0, 0);
    QTest::newRow("gamma 1, cp infinite") << 1.2 << 10.0 << makeGas(0.2, 1.0, 0, 1.8e-05);
}

void TestAlphaCoefficient::undefinedCoefficient()
{
    QFETCH(double, density);
    QFETCH(double, meanSpeed);
    QFETCH(Gas, gas);
    QVERIFY(std::isnan(coefficient(density, meanSpeed, gas)));
}

void TestAlphaCoefficient::sampleFromResultFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Surface>("surface");
    QTest::addColumn<int>("lines");
    QTest::addColumn<double>("meanSpeed");
    QTest::addColumn<double>("peakDensity");
    // head001: two lines share the highest pressure; the first one counts.
    QTest::newRow("head, equal maxima") << "head/head001.txt" << Surface::Head << 4 << 10.0 << 1.2;
    QTest::newRow("head, varying speed") << "head/head002.txt" << Surface::Head << 4 << 10.0 << 2.4;
    // piston002 holds a header and a blank line, neither of which counts.
    QTest::newRow("piston, header and blank line")
        << "piston/piston002.txt" << Surface::Piston << 2 << 50.0 << 1.1;
    // Side files carry one more column ahead of the density.
    QTest::newRow("side, shifted fields") << "side/side001.txt" << Surface::Side << 2 << 10.0 << 1.2;
    QTest::newRow("side, speed 20") << "side/side003.txt" << Surface::Side << 2 << 20.0 << 0.8;
}

void TestAlphaCoefficient::sampleFromResultFile()
{
    QFETCH(QString, file);
    QFETCH(Surface, surface);
    QFETCH(int, lines);
    QFETCH(double, meanSpeed);
    QFETCH(double, peakDensity);
    const SurfaceSample sample = sampleOf(file, surface);
    QCOMPARE(sample.lines, lines);
    QCOMPARE(sample.meanSpeed(), meanSpeed);
    QVERIFY(sample.hasPeak());
    QCOMPARE(sample.peakDensity, peakDensity);
}

void TestAlphaCoefficient::sampleWithoutPositivePressureIsUndefined()
{
    const SurfaceSample sample = sampleOf(QStringLiteral("side/side002.txt"), Surface::Side);
    QCOMPARE(sample.lines, 2);
    QVERIFY(!sample.hasPeak());
    QVERIFY(std::isnan(coefficient(sample, workedExampleGas())));
}

void TestAlphaCoefficient::missingResultFileIsUndefined()
{
    QTemporaryDir dir;
    QVERIFY(std::isnan(fileCoefficient(dir.filePath(QStringLiteral("head001.txt")), Surface::Head,
                                       workedExampleGas())));
}

void TestAlphaCoefficient::tableLine_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<double>("head");
    QTest::addColumn<double>("piston");
    QTest::addColumn<double>("side");
    QTest::addColumn<QString>("expected");
    QTest::newRow("eight digits")
        << 3 << 12.3456789 << 40.0 << 0.5
        << "                 3         12.345679                40               0.5";
    QTest::newRow("small coefficient")
        << 1 << 1.5e-07 << 0.0001 << 1e-05
        << "                 1           1.5e-07            0.0001             1e-05";
    QTest::newRow("large coefficient")
        << 360 << 123456789.0 << 1e100 << 42.47492515524452
        << "               360     1.2345679e+08            1e+100         42.474925";
    QTest::newRow("undefined stays a column")
        << 12 << undefined << 3.0 << undefined
        << "                12               nan                 3               nan";
}

void TestAlphaCoefficient::tableLine()
{
    QFETCH(int, step);
    QFETCH(double, head);
    QFETCH(double, piston);
    QFETCH(double, side);
    QFETCH(QString, expected);
    QCOMPARE(AlphaCoefficient::tableLine(step, {head, piston, side}), expected);
}

void TestAlphaCoefficient::writeTableReportsFailure()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("missing/alpha_on_HPS.txt"));
    QString error;
    QVERIFY(!writeTable(name, {{1.0, 2.0, 3.0}}, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(name));
}

void TestAlphaCoefficient::plotScript()
{
    const QStringList expected{
        "set terminal png size 600,350",
        "set output 'Alpha.png'",
        "set xlabel 'crank angle [deg]'",
        "set ylabel 'heat transfer coeff. [W/m2K]'",
        "plot '../Case680mm/alpha_on_HPS.txt' u 1:2 title 'alpha on head' w l, \\",
        "'../Case680mm/alpha_on_HPS.txt' u 1:3 title 'alpha on piston' w l, \\",
        "'../Case680mm/alpha_on_HPS.txt' u 1:4 title 'alpha on side' w l",
    };
    QCOMPARE(AlphaCoefficient::plotScript(QStringLiteral("Case680mm")), expected);
}

void TestAlphaCoefficient::locateCase_data()
{
    QTest::addColumn<QString>("caseName");
    QTest::addColumn<bool>("found");
    QTest::newRow("existing case") << "Case680mm" << true;
    QTest::newRow("missing case") << "Case999mm" << false;
    QTest::newRow("empty name") << "" << false;
    QTest::newRow("the root itself") << "." << false;
    QTest::newRow("the start directory") << "ExecutingFiles" << false;
}

void TestAlphaCoefficient::locateCase()
{
    QFETCH(QString, caseName);
    QFETCH(bool, found);
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("ExecutingFiles"));
    QDir(root.path()).mkpath(QStringLiteral("Case680mm"));
    const QDir start(root.filePath(QStringLiteral("ExecutingFiles")));
    QDir caseDir;
    QString error;
    QCOMPARE(AlphaCoefficient::locateCase(start, caseName, &caseDir, &error), found);
    if (found)
        QCOMPARE(caseDir.canonicalPath(), QDir(root.filePath(caseName)).canonicalPath());
    else
        QVERIFY2(error.contains(QStringLiteral("\"%1\" does not exist").arg(caseName)), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestAlphaCoefficient)
#include "tst_alphacoefficient.moc"
