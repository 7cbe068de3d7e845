// The window's pocket mesh slots: what they write, and that every refusal is
// reported and leaves the previous mesh as it was.
#include "dialoganswerer.h"
#include "kalvex.h"
#include "testworkspace.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QtTest>

#include <memory>

namespace {

const char meshName[] = "dP=680mm.msh";
const QByteArray previousMesh = "previous mesh";

QByteArray contents(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestKalvexMesh : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void inputFileHasFiveLines();
    void inputFileUnwritable();
    void referenceGeometryWritesReference();
    void refusals_data();
    void refusals();

private:
    void setField(const QString &name, const QString &text);
    // Runs a slot, accepting and recording (title, new line, text) the message boxes it shows.
    void runAnswering(void (Kalvex::*slot)());

    std::unique_ptr<TestWorkspace> m_ws;
    std::unique_ptr<Kalvex> m_window;
    QByteArray m_reference;
    QStringList m_messages;
};

void TestKalvexMesh::init()
{
    m_ws = std::make_unique<TestWorkspace>();
    QVERIFY(m_ws->isValid());
    QVERIFY(QDir::setCurrent(m_ws->root()));
    const QString reference = QFINDTESTDATA("../../data/reference_valve_pocket.msh");
    m_reference = contents(reference);
    QVERIFY(!m_reference.isEmpty());
    QVERIFY(m_ws->copyReferenceMesh(reference));
    m_window = std::make_unique<Kalvex>();
    setField("lineEdit_PA_1", "0.68");
    setField("lineEdit_PA_38", "100");
    setField("lineEdit_PA_39", "40");
    setField("lineEdit_PA_40", "19");
    setField("lineEdit_CA_2", meshName);
    m_messages.clear();
}

void TestKalvexMesh::cleanup()
{
    m_window.reset();
    m_ws.reset();
}

void TestKalvexMesh::setField(const QString &name, const QString &text)
{
    auto *field = m_window->findChild<QLineEdit *>(name);
    QVERIFY2(field, qPrintable(name));
    field->setText(text);
}

void TestKalvexMesh::runAnswering(void (Kalvex::*slot)())
{
    DialogAnswerer dialogs;
    (m_window.get()->*slot)();
    for (int i = 0; i < dialogs.messages().size(); ++i)
        m_messages << dialogs.titles().at(i) + '\n' + dialogs.messages().at(i);
}

void TestKalvexMesh::inputFileHasFiveLines()
{
    setField("lineEdit_CA_2", "pocket mesh.msh");
    runAnswering(&Kalvex::startSaveMeshData);
    QCOMPARE(m_messages, QStringList());
    QCOMPARE(contents("InputPocketMesh.txt"),
             QByteArray("Mesh file used for valve pockets:\npocket mesh.msh\n\n"
                        "Grid scaling factor (m/m)\n0.001\n"));
}

void TestKalvexMesh::inputFileUnwritable()
{
    QVERIFY(QDir().mkdir("InputPocketMesh.txt"));
    runAnswering(&Kalvex::startSaveMeshData);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().startsWith("Fehler beim Öffnen\nDatei nicht in Datei schreiben "
                                           "InputPocketMesh.txt:\n"),
             qPrintable(m_messages.first()));
}

void TestKalvexMesh::referenceGeometryWritesReference()
{
    QVERIFY(writeFile(meshName, previousMesh));
    runAnswering(&Kalvex::vmap);
    QCOMPARE(m_messages, QStringList());
    QVERIFY(contents(meshName) == m_reference);
}

void TestKalvexMesh::refusals_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reference");  // "keep", "missing" or "truncated"
    QTest::addColumn<QString>("expectedMessage");

    QTest::newRow("piston diameter no number")
        << "lineEdit_PA_1" << "0,68" << "keep" << "\"Piston diameter d_P (m)\" must be a number";
    QTest::newRow("pocket radius as wide as the piston")
        << "lineEdit_PA_38" << "340" << "keep" << "\"Valve pocket radius rv1 [mm]\"";
    QTest::newRow("cone height empty") << "lineEdit_PA_39" << "" << "keep"
                                       << "\"Height of valve cone hk1 [mm]\" must be a number";
    QTest::newRow("pocket height zero") << "lineEdit_PA_40" << "0" << "keep"
                                        << "\"Height of valve pocket hv1 [mm]\" must be greater";
    QTest::newRow("mesh name empty") << "lineEdit_CA_2" << "  " << "keep"
                                     << "enter the name of the mesh file for the valve pockets";
    QTest::newRow("reference missing") << "" << "" << "missing"
                                       << "reference pocket mesh reference_valve_pocket.msh cannot be read";
    QTest::newRow("reference truncated") << "" << "" << "truncated" << "ends after line 2000";
    QTest::newRow("mesh name of the reference")
        << "lineEdit_CA_2" << "./reference_valve_pocket.msh" << "keep"
        << "must not replace the reference pocket mesh";
    QTest::newRow("mesh name in a missing directory")
        << "lineEdit_CA_2" << "missing/dP.msh" << "keep"
        << "Fehler beim Öffnen\nDatei nicht in Datei schreiben missing/dP.msh:";
}

void TestKalvexMesh::refusals()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, reference);
    QFETCH(QString, expectedMessage);
    if (!field.isEmpty())
        setField(field, text);
    if (reference == "missing")
        QVERIFY(QFile::remove("reference_valve_pocket.msh"));
    if (reference == "truncated") {
        const QList<QByteArray> lines = m_reference.split('\n');
        QVERIFY(writeFile("reference_valve_pocket.msh", lines.mid(0, 2000).join('\n') + '\n'));
    }
    QVERIFY(writeFile(meshName, previousMesh));
    const QStringList before = QDir().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);

    runAnswering(&Kalvex::vmap);

    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(expectedMessage), qPrintable(m_messages.first()));
    QCOMPARE(contents(meshName), previousMesh);
    QCOMPARE(contents("reference_valve_pocket.msh").size() > 0, reference != "missing");
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot), before);
}

QTEST_MAIN(TestKalvexMesh)
#include "tst_kalvexmesh.moc"
