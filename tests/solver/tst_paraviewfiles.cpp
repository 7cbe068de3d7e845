// The ParaView files: VTK XML unstructured grids read back byte by byte,
// with VTK's hexahedron node order, and the collection listing them.
#include "chamber/chambermesh.h"
#include "io/inputerror.h"
#include "io/pocketmesh.h"
#include "io/pvdwriter.h"
#include "io/vtuwriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <map>

using namespace euler;
using euler::chamber::Index;

class TstParaViewFiles : public QObject
{
    Q_OBJECT

private slots:
    void gridReadsBackWithVtkHexahedra();
    void nonFiniteValueIsRefused_data();
    void nonFiniteValueIsRefused();
    void unwritableFileIsReported();
    void collectionListsFilesByCrankAngle();
};

namespace {

// The appended arrays of a .vtu file by name ("" for the points), decoded.
struct VtuContent
{
    long long points = 0, cells = 0;
    QString byteOrder, headerType;
    std::map<QString, QByteArray> blocks;
    std::map<QString, int> components;

    template <typename T>
    std::vector<T> values(const QString &name) const
    {
        const QByteArray &b = blocks.at(name);
        std::vector<T> v(static_cast<size_t>(b.size()) / sizeof(T));
        std::memcpy(v.data(), b.constData(), v.size() * sizeof(T));
        return v;
    }
};

VtuContent readVtu(const QString &fileName)
{
    VtuContent content;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return content;
    const QByteArray all = file.readAll();
    const qsizetype start = all.indexOf("<AppendedData encoding=\"raw\">");
    const qsizetype underscore = all.indexOf('_', start);
    std::map<QString, qsizetype> offsets;
    QXmlStreamReader xml(all.left(start));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("VTKFile")) {
            content.byteOrder = a.value(QLatin1String("byte_order")).toString();
            content.headerType = a.value(QLatin1String("header_type")).toString();
        } else if (xml.name() == QLatin1String("Piece")) {
            content.points = a.value(QLatin1String("NumberOfPoints")).toLongLong();
            content.cells = a.value(QLatin1String("NumberOfCells")).toLongLong();
        } else if (xml.name() == QLatin1String("DataArray")) {
            const QString name = a.value(QLatin1String("Name")).toString();
            offsets[name] = a.value(QLatin1String("offset")).toLongLong();
            content.components[name] = a.hasAttribute(QLatin1String("NumberOfComponents"))
                ? a.value(QLatin1String("NumberOfComponents")).toInt() : 1;
        }
    }
    for (const auto &[name, offset] : offsets) {
        quint64 bytes = 0;
        std::memcpy(&bytes, all.constData() + underscore + 1 + offset, sizeof bytes);
        content.blocks[name] = all.mid(underscore + 1 + offset + 8, static_cast<qsizetype>(bytes));
    }
    return content;
}

struct Fields
{
    std::vector<double> rho, p, u, v, w;
    explicit Fields(size_t cells)
    {
        for (size_t c = 0; c < cells; ++c) {
            rho.push_back(1 + 0.5 * c);
            p.push_back(1e5 * (c + 1));
            u.push_back(c);
            v.push_back(-double(c));
            w.push_back(0.25);
        }
    }
    std::vector<VtuCellArray> arrays() const
    {
        return {{"density", {&rho}}, {"pressure", {&p}}, {"velocity", {&u, &v, &w}}};
    }
};

} // namespace

void TstParaViewFiles::gridReadsBackWithVtkHexahedra()
{
    const chamber::ChamberMesh mesh({0.34, 0.05, 2, 1, 2, 0.5, 0.5}, 0.01);
    const fv::HexMesh &hex = mesh.hex();
    const Fields fields(static_cast<size_t>(hex.cellCount()));
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("chamber_005.vtu"));
    VtuWriter writer(hex);
    writer.write(name.toStdString(), hex.x, hex.y, hex.z, fields.arrays());
    const VtuContent vtu = readVtu(name);
    QCOMPARE(vtu.points, static_cast<long long>(hex.nodeCount()));
    QCOMPARE(vtu.cells, static_cast<long long>(hex.cellCount()));
    QCOMPARE(vtu.headerType, QStringLiteral("UInt64"));
    QCOMPARE(vtu.byteOrder, QStringLiteral("LittleEndian"));
    QCOMPARE(vtu.components.at(QStringLiteral("velocity")), 3);

    const std::vector<float> points = vtu.values<float>(QString());
    const std::vector<qint32> connectivity = vtu.values<qint32>(QStringLiteral("connectivity"));
    const std::vector<qint32> offsets = vtu.values<qint32>(QStringLiteral("offsets"));
    const std::vector<quint8> types = vtu.values<quint8>(QStringLiteral("types"));
    QCOMPARE(points.size(), 3 * size_t(hex.nodeCount()));
    QCOMPARE(connectivity.size(), 8 * size_t(hex.cellCount()));
    QCOMPARE(offsets.back(), qint32(connectivity.size()));
    QVERIFY(std::all_of(types.begin(), types.end(), [](quint8 t) { return t == 12; }));
    const auto point = [&](qint32 n) { return Vec3{points[3 * n], points[3 * n + 1], points[3 * n + 2]}; };
    for (Index c = 0; c < hex.cellCount(); ++c) {
        // VTK: the right-hand normal of points 0-3 points to the face 4-7.
        std::array<Vec3, 8> p;
        for (int k = 0; k < 8; ++k)
            p[k] = point(connectivity[8 * c + k]);
        const Vec3 normal = cross(p[2] - p[0], p[3] - p[1]);
        const Vec3 up = 0.25 * (p[4] + p[5] + p[6] + p[7]) - 0.25 * (p[0] + p[1] + p[2] + p[3]);
        QVERIFY(dot(normal, up) > 0);
        QCOMPARE(connectivity[8 * c + 1], hex.cells[size_t(c)][3]);
    }
    const std::vector<float> pressure = vtu.values<float>(QStringLiteral("pressure"));
    const std::vector<float> velocity = vtu.values<float>(QStringLiteral("velocity"));
    QCOMPARE(pressure.size(), size_t(hex.cellCount()));
    QCOMPARE(pressure[7], 8e5f);
    QCOMPARE(velocity[3 * 7 + 1], -7.0f);
    QCOMPARE(velocity[3 * 7 + 2], 0.25f);
}

void TstParaViewFiles::nonFiniteValueIsRefused_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("NaN") << std::nan("");
    QTest::newRow("infinite") << HUGE_VAL;
    QTest::newRow("beyond Float32") << 1e40;
}

void TstParaViewFiles::nonFiniteValueIsRefused()
{
    QFETCH(double, value);
    const chamber::ChamberMesh mesh({0.34, 0, 1, 0, 1, 1, 1}, 0.01);
    Fields fields(static_cast<size_t>(mesh.hex().cellCount()));
    fields.p[3] = value;
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("bad.vtu"));
    VtuWriter writer(mesh.hex());
    try {
        writer.write(name.toStdString(), mesh.hex().x, mesh.hex().y, mesh.hex().z, fields.arrays());
        QFAIL("written");
    } catch (const RunError &e) {
        QCOMPARE(e.exitCode(), 3);
        QCOMPARE(QByteArray(e.what()), QByteArray("pressure is not finite in cell 3"));
    }
    QVERIFY(!QFile::exists(name));
}

void TstParaViewFiles::unwritableFileIsReported()
{
    const chamber::ChamberMesh mesh({0.34, 0, 1, 0, 1, 1, 1}, 0.01);
    const Fields fields(static_cast<size_t>(mesh.hex().cellCount()));
    QTemporaryDir dir;
    VtuWriter writer(mesh.hex());
    try {
        writer.write(dir.filePath(QStringLiteral("missing/x.vtu")).toStdString(), mesh.hex().x, mesh.hex().y,
                     mesh.hex().z, fields.arrays());
        QFAIL("written");
    } catch (const RunError &e) {
        QCOMPARE(e.exitCode(), 2);
        QVERIFY(QByteArray(e.what()).contains("x.vtu: cannot be written"));
    }
}

void TstParaViewFiles::collectionListsFilesByCrankAngle()
{
    QTemporaryDir dir;
    PvdCollection pvd(dir.filePath(QStringLiteral("chamber.pvd")).toStdString());
    pvd.add(0, "vtk/chamber_000.vtu");
    pvd.add(5, "vtk/chamber_005.vtu");
    pvd.add(7.5, "vtk/chamber_007.vtu");
    QFile file(dir.filePath(QStringLiteral("chamber.pvd")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QStringList listed;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("DataSet"))
            listed << xml.attributes().value(QLatin1String("timestep")).toString() + QLatin1Char(' ')
                          + xml.attributes().value(QLatin1String("file")).toString();
    QVERIFY(!xml.hasError());
    QCOMPARE(listed, (QStringList{"0 vtk/chamber_000.vtu", "5 vtk/chamber_005.vtu", "7.5 vtk/chamber_007.vtu"}));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("chamber.pvd.part"))));
}

QTEST_GUILESS_MAIN(TstParaViewFiles)
#include "tst_paraviewfiles.moc"
