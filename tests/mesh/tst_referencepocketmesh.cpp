// The shipped reference pocket mesh: it is what the generator makes, and it is
// a sound hexahedral mesh of the pocket with outward boundary faces.
#include "pocketmeshgen.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QtTest>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Vec = std::array<double, 3>;
using Quad = std::array<int, 4>;

Vec minus(const Vec &a, const Vec &b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec cross(const Vec &a, const Vec &b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Vec &a, const Vec &b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

const double a0 = std::sqrt(340.0 * 340.0 - 100.0 * 100.0);
double bore(double y) { return std::sqrt(340.0 * 340.0 - y * y); }

struct Mesh {
    QList<Vec> nodes;
    QList<std::array<int, 8>> cells;
    QList<Quad> faces;
    QStringList patches;

    Vec node(int oneBased) const { return nodes.at(oneBased - 1); }
    Vec centre(const int *ids, int n) const
    {
        Vec c{0, 0, 0};
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < 3; ++k)
                c[k] += node(ids[i])[k] / n;
        return c;
    }
    // Normal of a quadrilateral by the right-hand rule.
    Vec normal(const int *q) const
    {
        return cross(minus(node(q[2]), node(q[0])), minus(node(q[3]), node(q[1])));
    }
};

QByteArray referenceBytes()
{
    QFile file(QFINDTESTDATA("../../data/reference_valve_pocket.msh"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Mesh parse(const QByteArray &bytes)
{
    Mesh mesh;
    const QList<QByteArray> lines = bytes.split('\n');
    int at = 0;
    const int nodes = lines.at(at++).split(' ').at(0).toInt();
    for (int i = 0; i < nodes; ++i) {
        const QList<QByteArray> f = lines.at(at++).split('\t');
        mesh.nodes.append({f.at(0).toDouble(), f.at(1).toDouble(), f.at(2).toDouble()});
    }
    const int cells = lines.at(at++).split(' ').at(0).toInt();
    for (int i = 0; i < cells; ++i) {
        const QList<QByteArray> f = lines.at(at++).split(' ');
        std::array<int, 8> c;
        for (int k = 0; k < 8; ++k)
            c[k] = f.at(k).toInt();
        mesh.cells.append(c);
    }
    const int faces = lines.at(at++).split(' ').at(0).toInt();
    for (int i = 0; i < faces; ++i) {
        const QList<QByteArray> f = lines.at(at++).split(' ');
        mesh.faces.append({f.at(0).toInt(), f.at(1).toInt(), f.at(2).toInt(), f.at(3).toInt()});
        mesh.patches.append(QString::fromLatin1(f.at(4)));
    }
    return mesh;
}

QString key(Quad q)
{
    std::sort(q.begin(), q.end());
    return QString("%1 %2 %3 %4").arg(q[0]).arg(q[1]).arg(q[2]).arg(q[3]);
}

// The six faces of a hexahedron, each counter-clockwise seen from outside.
QList<Quad> cellFaces(const std::array<int, 8> &c)
{
    return {{c[0], c[1], c[2], c[3]}, {c[4], c[7], c[6], c[5]}, {c[0], c[4], c[5], c[1]},
            {c[1], c[5], c[6], c[2]}, {c[2], c[6], c[7], c[3]}, {c[3], c[7], c[4], c[0]}};
}

// Volume from the outward faces (divergence theorem, faces split in triangles).
double volume(const Mesh &mesh, const std::array<int, 8> &c)
{
    double v = 0;
    for (const Quad &f : cellFaces(c)) {
        const Vec p0 = mesh.node(f[0]);
        for (int t = 1; t < 3; ++t)
            v += dot(p0, cross(mesh.node(f[t]), mesh.node(f[t + 1]))) / 6;
    }
    return v;
}

} // namespace

class TestReferencePocketMesh : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void isWhatTheGeneratorMakes();
    void sizeAndLastLine();
    void cellsPointOutwardWithPositiveVolume();
    void volumeMatchesPocket();
    void boundaryClosesTheMesh();
    void patchesLieWhereTheirNamesSay_data();
    void patchesLieWhereTheirNamesSay();

private:
    QByteArray m_bytes;
    Mesh m_mesh;
};

void TestReferencePocketMesh::initTestCase()
{
    m_bytes = referenceBytes();
    QVERIFY(!m_bytes.isEmpty());
    m_mesh = parse(m_bytes);
}

void TestReferencePocketMesh::isWhatTheGeneratorMakes()
{
    const std::string generated = PocketMeshGen::generate(PocketMeshGen::Resolution());
    QVERIFY2(QByteArray::fromStdString(generated) == m_bytes,
             "data/reference_valve_pocket.msh is stale: run tools/meshgen");
}

void TestReferencePocketMesh::sizeAndLastLine()
{
    QCOMPARE(m_mesh.nodes.size(), int(PocketMeshGen::nodeCount(PocketMeshGen::Resolution())));
    QVERIFY(m_mesh.nodes.size() > 2000 && m_mesh.nodes.size() < 10000);
    QVERIFY(!m_bytes.endsWith('\n'));
    QCOMPARE(m_bytes.count('\n') + 1, 3 + m_mesh.nodes.size() + m_mesh.cells.size() + m_mesh.faces.size());
}

// Nodes 1-4 face away from nodes 5-8, and every cell has a volume.
void TestReferencePocketMesh::cellsPointOutwardWithPositiveVolume()
{
    for (const auto &c : m_mesh.cells) {
        const Vec towardTop = minus(m_mesh.centre(c.data() + 4, 4), m_mesh.centre(c.data(), 4));
        QVERIFY(dot(m_mesh.normal(c.data()), towardTop) < 0);
        QVERIFY(volume(m_mesh, c) > 1e-3);
    }
}

// Cone frustum (radius 130 to 100 over 40 mm) plus the pocket cylinder from a0
// to c0, less what the 36-sided outline cuts off the circle.
void TestReferencePocketMesh::volumeMatchesPocket()
{
    double total = 0;
    for (const auto &c : m_mesh.cells)
        total += volume(m_mesh, c);
    const double pi = 3.14159265358979323846;
    const double exact = pi * 40 / 3 * (130 * 130 + 130 * 100 + 100 * 100) + pi * 100 * 100 * 19;
    const double polygon = 36 / (2 * pi) * std::sin(2 * pi / 36);
    QVERIFY2(std::abs(total / (exact * polygon) - 1) < 0.005, qPrintable(QString::number(total)));
}

// The boundary faces are exactly the cell faces that belong to one cell, and
// they point out of that cell.
void TestReferencePocketMesh::boundaryClosesTheMesh()
{
    QHash<QString, int> uses;
    QHash<QString, int> owner;
    for (int i = 0; i < m_mesh.cells.size(); ++i)
        for (const Quad &f : cellFaces(m_mesh.cells.at(i))) {
            ++uses[key(f)];
            owner[key(f)] = i;
        }
    QSet<QString> outer;
    for (auto it = uses.cbegin(); it != uses.cend(); ++it)
        if (it.value() == 1)
            outer.insert(it.key());
    QSet<QString> listed;
    for (const Quad &f : m_mesh.faces) {
        QVERIFY(listed.insert(key(f)) != listed.end());
        QVERIFY(outer.contains(key(f)));
        const auto &cell = m_mesh.cells.at(owner.value(key(f)));
        const Vec out = minus(m_mesh.centre(f.data(), 4), m_mesh.centre(cell.data(), 8));
        QVERIFY(dot(m_mesh.normal(f.data()), out) > 0);
    }
    QCOMPARE(listed.size(), m_mesh.faces.size());
    QCOMPARE(listed, outer);
}

void TestReferencePocketMesh::patchesLieWhereTheirNamesSay_data()
{
    QTest::addColumn<QString>("patch");
    QTest::addColumn<int>("expectedFaces");
    // 225 cells per cross-section, 36 outer edges per layer (10 layers inside the bore).
    QTest::newRow("bore_opening") << "bore_opening" << 225 + 36 * 10;
    QTest::newRow("pocket_wall") << "pocket_wall" << 36 * 6;
    QTest::newRow("valve_seat") << "valve_seat" << 225;
}

// The opening faces lie inside the bore, the wall and seat faces outside it.
void TestReferencePocketMesh::patchesLieWhereTheirNamesSay()
{
    QFETCH(QString, patch);
    QFETCH(int, expectedFaces);
    int found = 0;
    for (int i = 0; i < m_mesh.faces.size(); ++i) {
        if (m_mesh.patches.at(i) != patch)
            continue;
        ++found;
        for (int id : m_mesh.faces.at(i)) {
            const Vec p = m_mesh.node(id);
            const double beyondBore = p[0] - bore(p[1]);
            if (patch == "bore_opening")
                QVERIFY(beyondBore < 1e-6);
            else
                QVERIFY(beyondBore > -1e-6);
            if (patch == "valve_seat")
                QVERIFY(std::abs(p[0] - (a0 + 19)) < 1e-6);
        }
    }
    QCOMPARE(found, expectedFaces);
}

QTEST_GUILESS_MAIN(TestReferencePocketMesh)
#include "tst_referencepocketmesh.moc"
