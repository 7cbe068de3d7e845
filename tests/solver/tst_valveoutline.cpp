// The valve outline on the bore: overlap areas of wall rectangles with the
// half disk, which decide how much of each side-wall face a valve opens.
#include "chamber/valveoutline.h"

#include <QtTest>

#include <cmath>

using namespace euler::chamber;

class TstValveOutline : public QObject
{
    Q_OBJECT

private slots:
    void overlapOfSimpleRectangles_data();
    void overlapOfSimpleRectangles();
    void partitionAddsUpToTheClippedHalfDisk_data();
    void partitionAddsUpToTheClippedHalfDisk();
    void overlapChangesSmoothlyWithHeight();
    void outlineWrapsRoundTheBore_data();
    void outlineWrapsRoundTheBore();
};

namespace {

// The half disk below height h: integral of min(h, sqrt(r^2 - x^2)).
double clippedHalfDisk(double r, double h)
{
    if (h >= r)
        return 0.5 * M_PI * r * r;
    const double u = std::sqrt(r * r - h * h);
    const double cap = r * r * std::acos(u / r) - u * h; // both caps beyond |x| = u, below the circle
    return 2 * u * h + cap;
}

} // namespace

void TstValveOutline::overlapOfSimpleRectangles_data()
{
    QTest::addColumn<double>("x0");
    QTest::addColumn<double>("x1");
    QTest::addColumn<double>("z0");
    QTest::addColumn<double>("z1");
    QTest::addColumn<double>("area");
    const double r = 0.1;
    QTest::newRow("covers the half disk") << -1.0 << 1.0 << 0.0 << 1.0 << 0.5 * M_PI * r * r;
    QTest::newRow("right quarter") << 0.0 << 1.0 << 0.0 << 1.0 << 0.25 * M_PI * r * r;
    QTest::newRow("inside") << -0.02 << 0.03 << 0.01 << 0.05 << 0.05 * 0.04;
    QTest::newRow("beside") << 0.1 << 0.3 << 0.0 << 0.05 << 0.0;
    QTest::newRow("above") << -0.05 << 0.05 << 0.1 << 0.2 << 0.0;
    QTest::newRow("empty") << 0.01 << 0.01 << 0.0 << 0.05 << 0.0;
    QTest::newRow("band below h") << -1.0 << 1.0 << 0.0 << 0.06 << clippedHalfDisk(r, 0.06);
    QTest::newRow("band between heights") << -1.0 << 1.0 << 0.03 << 0.06
                                          << clippedHalfDisk(r, 0.06) - clippedHalfDisk(r, 0.03);
}

void TstValveOutline::overlapOfSimpleRectangles()
{
    QFETCH(double, x0);
    QFETCH(double, x1);
    QFETCH(double, z0);
    QFETCH(double, z1);
    QFETCH(double, area);
    const double got = halfDiskOverlap(x0, x1, z0, z1, 0.1);
    QVERIFY2(std::fabs(got - area) <= 1e-15, qPrintable(QStringLiteral("%1 vs %2").arg(got).arg(area)));
}

void TstValveOutline::partitionAddsUpToTheClippedHalfDisk_data()
{
    QTest::addColumn<double>("height");
    QTest::newRow("top dead centre") << 0.004;
    QTest::newRow("mid stroke") << 0.07;
    QTest::newRow("bottom dead centre") << 0.224;
}

// Wall faces of a chamber side wall, as columns of equal arc and layers of
// equal height: their overlaps tile the outline below the wall's height.
void TstValveOutline::partitionAddsUpToTheClippedHalfDisk()
{
    QFETCH(double, height);
    const double R = 0.34, r = 0.1;
    const ValveOutline valve(R, 30 * M_PI / 180, r);
    const int columns = 32, layers = 6;
    const double width = 2 * M_PI * R / columns;
    double sum = 0;
    int touched = 0;
    for (int l = 0; l < columns; ++l) {
        for (int j = 0; j < layers; ++j) {
            const double a = valve.overlap(l * width, (l + 1) * width, height * j / layers, height * (j + 1) / layers);
            QVERIFY(a >= 0 && a <= width * height / layers * (1 + 1e-12));
            if (a > 0)
                QVERIFY(valve.meetsColumn(l * width, (l + 1) * width));
            sum += a;
        }
        touched += valve.meetsColumn(l * width, (l + 1) * width) ? 1 : 0;
    }
    QCOMPARE(touched, 4); // 0.2 m of the outline over columns of 0.067 m
    const double expected = clippedHalfDisk(r, height);
    QVERIFY2(std::fabs(sum / expected - 1) < 1e-12, qPrintable(QString::number(sum / expected - 1)));
}

// The open area of a face follows the piston without jumps: its slope in the
// face's upper edge is the width of the outline's chord there.
void TstValveOutline::overlapChangesSmoothlyWithHeight()
{
    const double r = 0.1, x0 = 0.03, x1 = 0.09;
    double previous = 0;
    for (int k = 1; k <= 400; ++k) {
        const double z = 0.15 * k / 400, dz = 0.15 / 400;
        const double a = halfDiskOverlap(x0, x1, 0, z, r);
        const double chord = z < r ? std::clamp(std::sqrt(r * r - z * z), x0, x1) - x0 : 0;
        QVERIFY(std::fabs((a - previous) / dz - chord) < 2 * dz / std::sqrt(std::max(r - z, dz)) + 1e-9);
        QVERIFY(a >= previous);
        previous = a;
    }
}

void TstValveOutline::outlineWrapsRoundTheBore_data()
{
    QTest::addColumn<double>("angleDeg");
    QTest::addColumn<double>("a0");
    QTest::addColumn<double>("a1");
    const double C = 2 * M_PI * 0.34;
    QTest::newRow("at 0, column before 2 pi") << 0.0 << C - 0.05 << C;
    QTest::newRow("at 359, column after 0") << 359.0 << 0.0 << 0.05;
    QTest::newRow("at -1, column after 0") << -1.0 << 0.0 << 0.05;
}

void TstValveOutline::outlineWrapsRoundTheBore()
{
    QFETCH(double, angleDeg);
    QFETCH(double, a0);
    QFETCH(double, a1);
    const double R = 0.34;
    const ValveOutline valve(R, angleDeg * M_PI / 180, 0.1);
    QVERIFY(valve.centreArc >= 0 && valve.centreArc < valve.circumference);
    QVERIFY(valve.meetsColumn(a0, a1));
    // The outline's image next to the column: one circumference away.
    const double mid = 0.5 * (a0 + a1);
    double shifted = valve.centreArc;
    for (double image : {valve.centreArc - valve.circumference, valve.centreArc + valve.circumference})
        if (std::fabs(image - mid) < std::fabs(shifted - mid))
            shifted = image;
    QVERIFY(shifted != valve.centreArc);
    QCOMPARE(valve.overlap(a0, a1, 0, 0.05), halfDiskOverlap(a0 - shifted, a1 - shifted, 0, 0.05, 0.1));
    const ValveOutline opposite(R, angleDeg * M_PI / 180 + M_PI, 0.1);
    QVERIFY(std::fabs(valve.centreDistance(opposite) - M_PI * R) < 1e-12);
    const ValveOutline near(R, (angleDeg + 10) * M_PI / 180, 0.1);
    QVERIFY(std::fabs(valve.centreDistance(near) - 10 * M_PI / 180 * R) < 1e-12);
}

QTEST_GUILESS_MAIN(TstValveOutline)
#include "tst_valveoutline.moc"
