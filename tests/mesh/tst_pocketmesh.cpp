// The pocket mesh mapping: geometry, streaming, block copies and every way a
// reference or a geometry can be refused.
#include "params/parameterset.h"
#include "params/pocketmesh.h"
#include "params/pocketmeshio.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>
#include <QtTest>

#include <cmath>

using PocketGeometry::Dimensions;

namespace {

const double a0 = std::sqrt(340.0 * 340.0 - 100.0 * 100.0);

// The pocket geometry's fields: piston diameter, rv1, hk1, hv1.
FieldTexts pocketTexts(const QString &diameter, const QString &r, const QString &k, const QString &h)
{
    return {{Parameter::PistonDiameter, diameter}, {Parameter::PocketRadius, r}, {Parameter::ConeHeight, k},
            {Parameter::PocketHeight, h}};
}

Dimensions geometry(const QString &diameter, const QString &r, const QString &k, const QString &h)
{
    Dimensions d;
    QString error;
    if (!PocketGeometry::fromTexts(pocketTexts(diameter, r, k, h), &d, &error))
        qFatal("geometry refused: %s", qPrintable(error));
    return d;
}

bool mapBytes(const QByteArray &reference, const Dimensions &target, QByteArray *mapped,
              QString *error = nullptr)
{
    QBuffer in;
    in.setData(reference);
    in.open(QIODevice::ReadOnly);
    QBuffer out(mapped);
    out.open(QIODevice::WriteOnly);
    return PocketMesh::map(in, out, target, error);
}

QString full(double v) { return QString::number(v, 'g', 17); }

// A mesh of the given node lines with one hexahedron and one face after them.
QByteArray meshOf(const QStringList &nodeLines)
{
    return QString("%1 nodes\n%2\n1 hexahedra\n1 2 3 4 5 6 7 8\n1 boundary faces\n1 2 3 4 valve_seat")
        .arg(nodeLines.size()).arg(nodeLines.join('\n')).toLatin1();
}

// The mapped coordinates of the single node of a mesh.
QList<double> mapNode(double x, double y, double z, const Dimensions &target)
{
    QByteArray mapped;
    QString error;
    if (!mapBytes(meshOf({full(x) + ' ' + full(y) + ' ' + full(z)}), target, &mapped, &error))
        qFatal("mapping failed: %s", qPrintable(error));
    const QList<QByteArray> fields = mapped.split('\n').at(1).split('\t');
    return {fields.at(0).toDouble(), fields.at(1).toDouble(), fields.at(2).toDouble()};
}

QString fixed6(double v)
{
    QString text;
    QTextStream stream(&text);
    stream.setRealNumberNotation(QTextStream::FixedNotation);
    stream.setRealNumberPrecision(6);
    stream.setFieldAlignment(QTextStream::AlignLeft);
    stream << v;
    stream.flush();
    return text;
}

// A device whose reads or writes fail part way.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(QByteArray data) : m_data(std::move(data)) {}

protected:
    qint64 readData(char *to, qint64 max) override
    {
        if (m_pos >= m_data.size())
            return -1;
        const qint64 n = qMin<qint64>(max, m_data.size() - m_pos);
        memcpy(to, m_data.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_pos = 0;
};

} // namespace

class TestPocketMesh : public QObject
{
    Q_OBJECT

private slots:
    void referenceMapsOntoItself();
    void zones_data();
    void zones();
    void pocketRadiusScalesCrossSection();
    void blocksCopied_data();
    void blocksCopied();
    void fixedFormatMatchesTextStream_data();
    void fixedFormatMatchesTextStream();
    void numbersReadAsQStringReadsThem_data();
    void numbersReadAsQStringReadsThem();
    void brokenReference_data();
    void brokenReference();
    void regressionInputsRefused_data();
    void regressionInputsRefused();
    void refusedGeometry_data();
    void refusedGeometry();
    void nodeOutsideTargetBore();
    void failingDevices();
    void inputFileText();
};

void TestPocketMesh::referenceMapsOntoItself()
{
    QFile file(QFINDTESTDATA("../../data/reference_valve_pocket.msh"));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QByteArray reference = file.readAll();
    QByteArray mapped;
    QString error;
    QVERIFY2(mapBytes(reference, geometry("0.68", "100", "40", "19"), &mapped, &error),
             qPrintable(error));
    QVERIFY(!mapped.endsWith('\n'));
    QCOMPARE(mapped.size(), reference.size());
    QVERIFY(mapped == reference);
}

// Each row: a node, a target geometry and the expected X, worked out from what
// the zone is meant to do.
void TestPocketMesh::zones_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<QStringList>("target");
    QTest::addColumn<double>("expectedX");

    const QStringList doubleCone{"0.68", "100", "80", "19"};
    for (double x : {a0 - 40, a0 - 25.5, a0 - 3, a0 - 60})
        QTest::addRow("hk1 doubled, cone x=a0-%g", a0 - x) << x << 20.0 << doubleCone << a0 - 2 * (a0 - x);

    // hv1 doubled: cone and transition zones stay, the pocket zone stretches.
    const QStringList doublePocket{"0.68", "100", "40", "38"};
    const double s0 = std::sqrt(340.0 * 340.0 - 30.0 * 30.0);
    QTest::newRow("hv1 doubled, cone") << a0 - 10 << 30.0 << doublePocket << a0 - 10;
    QTest::newRow("hv1 doubled, transition") << (a0 + s0) / 2 << 30.0 << doublePocket << (a0 + s0) / 2;
    QTest::newRow("hv1 doubled, bore") << s0 << 30.0 << doublePocket << s0;
    const double c0 = a0 + 19, c = a0 + 38;
    QTest::newRow("hv1 doubled, seat") << c0 << 30.0 << doublePocket << c;
    QTest::newRow("hv1 doubled, mid pocket")
        << (s0 + c0) / 2 << 30.0 << doublePocket << (s0 + c) / 2;

    // Rim point and bore surface land on their targets for another geometry.
    const double R = 400, r = 120, a = std::sqrt(R * R - r * r);
    const QStringList other{"0.8", "120", "40", "19"};
    QTest::newRow("x=a0 to a") << a0 << 50.0 << other << a;
    const double y = 50, yT = y * r / 100;
    QTest::newRow("x=s0 to s") << std::sqrt(340.0 * 340.0 - y * y) << y << other
                               << std::sqrt(R * R - yT * yT);
    QTest::newRow("x=b0 to b") << a0 - 40 << -70.0 << other << a - 40;
    QTest::newRow("x=c0 to c") << a0 + 19 << 0.0 << other << a + 19;
    // Beyond the bore where |y| > r0: pocket zone although x < a0.
    const double yWide = 120, s0Wide = std::sqrt(340.0 * 340.0 - yWide * yWide);
    const double sWide = std::sqrt(R * R - 144.0 * 144.0);
    QTest::newRow("|y|>r0 outside bore")
        << s0Wide + 1 << yWide << other << sWide + (a + 19 - sWide) / (a0 + 19 - s0Wide);
}

void TestPocketMesh::zones()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(QStringList, target);
    QFETCH(double, expectedX);
    const QList<double> mapped =
        mapNode(x, y, 7.25, geometry(target.at(0), target.at(1), target.at(2), target.at(3)));
    QVERIFY2(std::abs(mapped.at(0) - expectedX) <= 1.01e-6,
             qPrintable(QString("X %1, expected %2").arg(full(mapped.at(0)), full(expectedX))));
}

void TestPocketMesh::pocketRadiusScalesCrossSection()
{
    const QList<double> mapped = mapNode(a0 + 5, -40, 12.5, geometry("0.8", "150", "40", "40"));
    QCOMPARE(mapped.at(1), -60.0);
    QCOMPARE(mapped.at(2), 18.75);
}

// Everything but node lines is copied as it stands; the last line loses its
// line end and nothing after it is read.
void TestPocketMesh::blocksCopied_data()
{
    QTest::addColumn<QByteArray>("reference");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray nodes = "2 nodes = two\n300.5 1 2\n310 -1 -2 extra\n";
    const QByteArray mappedNodes = "2 nodes = two\n300.500000\t1.000000\t2.000000\n"
                                   "310.000000\t-1.000000\t-2.000000\n";
    const QByteArray cells = "1\thexahedra  odd   spacing \n 1  2 3 4 5 6 7 8 \n";
    QTest::newRow("faces") << nodes + cells + "2 faces\n1 2 3 4 a\n5 6 7 8 b\n"
                           << mappedNodes + cells + "2 faces\n1 2 3 4 a\n5 6 7 8 b";
    QTest::newRow("trailing lines ignored")
        << nodes + cells + "1 faces\n1 2 3 4 a\nnot read\n"
        << mappedNodes + cells + "1 faces\n1 2 3 4 a";
    QTest::newRow("one face, no final line end") << nodes + cells + "1 faces\n1 2 3 4 a"
                                                 << mappedNodes + cells + "1 faces\n1 2 3 4 a";
    QTest::newRow("no faces, one more line") << nodes + cells + "0 faces\nlast\nnot read"
                                             << mappedNodes + cells + "0 faces\nlast";
    QTest::newRow("no faces, end of file") << nodes + cells + "0 faces\n"
                                           << mappedNodes + cells + "0 faces\n";
    QTest::newRow("empty blocks") << QByteArray("0 nodes\n0 cells\n1 faces\nx")
                                  << QByteArray("0 nodes\n0 cells\n1 faces\nx");
    QTest::newRow("carriage returns kept") << nodes + "1 hex\r\n1 2 3 4 5 6 7 8\r\n1 f\r\nq\r\n"
                                           << mappedNodes + "1 hex\r\n1 2 3 4 5 6 7 8\r\n1 f\r\nq\r";
}

void TestPocketMesh::blocksCopied()
{
    QFETCH(QByteArray, reference);
    QFETCH(QByteArray, expected);
    QByteArray mapped;
    QString error;
    QVERIFY2(mapBytes(reference, PocketGeometry::reference(), &mapped, &error), qPrintable(error));
    QCOMPARE(mapped, expected);
}

// Chosen values (signs of zero, ties at the sixth decimal, extremes), then
// random values of each kind the mapping writes.
void TestPocketMesh::fixedFormatMatchesTextStream_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::newRow("chosen") << QList<double>{
        0.0, -0.0, -1.0, 324.9615361854, 0.0000005, -0.0000004, 2.5e-7, 0.1234565,
        123456789.123456789, -1e21, 999999.9999995, 3e-300, 1.7976931348623157e308,
        0.0078125, -0.0078125, 0.0234375, 999999999.9999995, 1e9, -123456.7890625};
    const struct { const char *name; double scale, step; } kinds[] = {
        {"coordinates", 400, 0}, {"six-decimal values", 400, 1e-6},
        {"ties (multiples of 2^-7)", 1000, 1.0 / 128}, {"tiny", 1e-5, 0}, {"large", 5e8, 0}};
    QRandomGenerator random(42);
    for (const auto &kind : kinds) {
        QList<double> values;
        for (int i = 0; i < 20000; ++i) {
            const double v = (random.generateDouble() * 2 - 1) * kind.scale;
            values << (kind.step > 0 ? std::round(v / kind.step) * kind.step : v);
        }
        QTest::newRow(kind.name) << values;
    }
}

void TestPocketMesh::fixedFormatMatchesTextStream()
{
    QFETCH(QList<double>, values);
    for (double v : values) {
        QByteArray fast;
        PocketMeshIo::appendFixed6(fast, v);
        if (QString::fromLatin1(fast) != fixed6(v))
            QFAIL(qPrintable(QString("%1: %2, QTextStream %3").arg(full(v), fast, fixed6(v))));
    }
}

void TestPocketMesh::numbersReadAsQStringReadsThem_data()
{
    QTest::addColumn<QByteArray>("token");
    const char *tokens[] = {"324.961536", "-0", "+5", ".5", "5.", "-.25", "1e3", "1.5E-3",
                            "0001.25000", "12345678901234567890", "0.1234567890123456789",
                            "abc", "-", ".", "+", "1.2.3", "+-1", "1,5", "0x10", "1e400",
                            "inf", "nan", "3.14159265358979323846264338327950288"};
    for (const char *token : tokens)
        QTest::newRow(token) << QByteArray(token);
    QRandomGenerator random(7);
    for (int i = 0; i < 200; ++i) {
        const double v = std::round((random.generateDouble() * 2 - 1) * 4e8) / 1e6;
        const QByteArray token = QByteArray::number(v, 'f', 6);
        QTest::newRow(token.constData()) << token;
    }
}

// Finite numbers only: a coordinate of "inf" or "nan" is refused.
void TestPocketMesh::numbersReadAsQStringReadsThem()
{
    QFETCH(QByteArray, token);
    bool qtOk = false;
    const double qtValue = QString::fromLatin1(token).toDouble(&qtOk);
    double value = 0;
    const bool ok = PocketMeshIo::toNumber(token, &value);
    QCOMPARE(ok, qtOk && std::isfinite(qtValue));
    if (ok) {
        QCOMPARE(value, qtValue);
        QCOMPARE(std::signbit(value), std::signbit(qtValue));
    }
}

void TestPocketMesh::brokenReference_data()
{
    QTest::addColumn<QByteArray>("reference");
    QTest::addColumn<QString>("expectedError");

    const QByteArray tail = "1 hex\n1 2 3 4 5 6 7 8\n1 faces\n1 2 3 4 a";
    QTest::newRow("empty file") << QByteArray() << "ends after line 0, where the node count";
    QTest::newRow("blank count line") << "  \n" + tail << "line 1 should begin with the node count";
    QTest::newRow("count not a number") << "nodes 2\n" + tail << "line 1 should begin";
    QTest::newRow("nodes missing") << QByteArray("3 nodes\n300 0 0\n") << "ends after line 2, where a node line";
    QTest::newRow("node line too short") << "2 nodes\n300 0 0\n300 1\n" + tail
                                         << "node line 3 should hold three coordinates";
    QTest::newRow("coordinate not a number") << "1 nodes\n300 x 0\n" + tail << "node line 2";
    QTest::newRow("coordinate nan") << "1 nodes\n300 nan 0\n" + tail << "node line 2";
    QTest::newRow("outside reference bore") << "1 nodes\n0 341 0\n" + tail
                                            << "line 2 lies outside the reference bore";
    QTest::newRow("hexahedra missing") << QByteArray("1 nodes\n300 0 0\n5 hex\n1 2 3 4 5 6 7 8\n")
                                       << "ends after line 4, where a hexahedron line";
    QTest::newRow("hexahedron count missing") << QByteArray("1 nodes\n300 0 0\n")
                                              << "where the hexahedron count";
    QTest::newRow("faces missing") << QByteArray("0 nodes\n0 hex\n3 faces\n1 2 3 4 a\n")
                                   << "ends after line 4, where a boundary face line";
    QTest::newRow("last face missing") << QByteArray("0 nodes\n0 hex\n1 faces\n")
                                       << "where a boundary face line";
    QTest::newRow("huge count") << QByteArray("99999999999 nodes\n300 0 0") << "ends after line 2";
    QTest::newRow("negative hexahedron count") << QByteArray("0 nodes\n-1 cells\n1 faces\nx")
                                               << "line 2 gives a negative number as the hexahedron count";
    QTest::newRow("negative face count") << QByteArray("0 nodes\n0 cells\n-3 faces\n")
                                         << "line 3 gives a negative number as the boundary face count";
}

// Inputs that were once mapped: an overflowing face count (undefined
// behaviour), a negative node count, a node mapped to "inf".
void TestPocketMesh::regressionInputsRefused_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expectedError");
    QTest::newRow("face count -2^63") << "face_count_int64_min.msh"
                                      << "line 5 gives a negative number as the boundary face count";
    QTest::newRow("node count negative") << "negative_node_count.msh"
                                         << "line 1 gives a negative number as the node count";
    QTest::newRow("coordinate 1.7e308") << "node_near_largest_double.msh" << "node of line 3 cannot be mapped";
}

void TestPocketMesh::regressionInputsRefused()
{
    QFETCH(QString, file);
    QFETCH(QString, expectedError);
    QFile reference(QFINDTESTDATA(QStringLiteral("data/") + file));
    QVERIFY2(reference.open(QIODevice::ReadOnly), qPrintable(reference.fileName()));
    QByteArray mapped;
    QString error;
    QVERIFY(!mapBytes(reference.readAll(), PocketGeometry::reference(), &mapped, &error));
    QVERIFY2(error.contains(expectedError), qPrintable(error));
}

void TestPocketMesh::brokenReference()
{
    QFETCH(QByteArray, reference);
    QFETCH(QString, expectedError);
    QByteArray mapped;
    QString error;
    QVERIFY(!mapBytes(reference, PocketGeometry::reference(), &mapped, &error));
    QVERIFY2(error.contains(expectedError), qPrintable(error));
}

void TestPocketMesh::refusedGeometry_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("field");

    const QString diameter = ParameterSet::caption(Parameter::PistonDiameter);
    const QString radius = ParameterSet::caption(Parameter::PocketRadius);
    const QString cone = ParameterSet::caption(Parameter::ConeHeight);
    const QString pocket = ParameterSet::caption(Parameter::PocketHeight);
    QTest::newRow("diameter empty") << QStringList{"", "100", "40", "19"} << diameter;
    QTest::newRow("diameter text") << QStringList{"0,68", "100", "40", "19"} << diameter;
    QTest::newRow("radius text") << QStringList{"0.68", "1OO", "40", "19"} << radius;
    QTest::newRow("cone text") << QStringList{"0.68", "100", "forty", "19"} << cone;
    QTest::newRow("pocket text") << QStringList{"0.68", "100", "40", "inf"} << pocket;
    QTest::newRow("diameter zero") << QStringList{"0", "100", "40", "19"} << diameter;
    QTest::newRow("radius negative") << QStringList{"0.68", "-100", "40", "19"} << radius;
    QTest::newRow("radius equals piston") << QStringList{"0.68", "340", "40", "19"} << radius;
    QTest::newRow("radius above piston") << QStringList{"0.1", "100", "40", "19"} << radius;
    QTest::newRow("cone past axis") << QStringList{"0.68", "100", "325", "19"} << cone;
    QTest::newRow("seat inside bore") << QStringList{"0.68", "100", "40", "15"} << pocket;
}

void TestPocketMesh::refusedGeometry()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, field);
    Dimensions d;
    QString error;
    QVERIFY(!PocketGeometry::fromTexts(pocketTexts(texts.at(0), texts.at(1), texts.at(2), texts.at(3)), &d, &error));
    QVERIFY2(error.contains('"' + field + '"'), qPrintable(error));
}

void TestPocketMesh::nodeOutsideTargetBore()
{
    // A wide cone node (|y| = 130) leaves a narrow bore when the pocket grows.
    QByteArray mapped;
    QString error;
    QVERIFY(!mapBytes(meshOf({"290 130 0"}), geometry("0.2", "90", "20", "60"), &mapped, &error));
    QVERIFY2(error.contains(ParameterSet::caption(Parameter::PocketRadius)), qPrintable(error));
}

void TestPocketMesh::failingDevices()
{
    const QByteArray mesh = meshOf({"300 0 0"});
    QString error;
    QBuffer in;
    in.setData(mesh);
    in.open(QIODevice::ReadOnly);
    FailingDevice out({});
    out.open(QIODevice::WriteOnly);
    QVERIFY(!PocketMesh::map(in, out, PocketGeometry::reference(), &error));
    QVERIFY2(error.contains("writing the pocket mesh failed"), qPrintable(error));

    FailingDevice brokenIn(mesh.left(20));
    brokenIn.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    QByteArray mapped;
    QBuffer sink(&mapped);
    sink.open(QIODevice::WriteOnly);
    QVERIFY(!PocketMesh::map(brokenIn, sink, PocketGeometry::reference(), &error));
    QVERIFY2(error.contains("reading the reference mesh failed"), qPrintable(error));
}

void TestPocketMesh::inputFileText()
{
    QCOMPARE(PocketMesh::inputFileText("dP=680mm.msh"),
             QByteArray("Mesh file used for valve pockets:\ndP=680mm.msh\n\n"
                        "Grid scaling factor (m/m)\n0.001\n"));
}

QTEST_GUILESS_MAIN(TestPocketMesh)
#include "tst_pocketmesh.moc"
