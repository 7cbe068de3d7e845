// A user's session from start to finish: read the sample data through the
// file dialogs, press "Calculate", wait for the solver, press every plot button.
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QThread>
#include <QTest>

#include <memory>

#include "dialoganswerer.h"
#include "kalvex.h"
#include "post/fieldmaprun.h"
#include "post/resultfile.h"
#include "testworkspace.h"

namespace {

const QString sourceDir = QStringLiteral(KALVEX_SOURCE_DIR);
constexpr int steps = 3;

QSize imageSize(const QString &path)
{
    QImageReader reader(path);
    return reader.format() == "png" ? reader.size() : QSize();
}

// What the field maps leave: every map's pixels, every grid copy's and every
// final script's bytes.
struct FieldMapFiles
{
    QMap<QString, QImage> maps;
    QMap<QString, QByteArray> files;
};

FieldMapFiles fieldMapFiles(const QDir &caseDir, const QDir &executingFiles)
{
    FieldMapFiles found;
    for (const QString &surface : {QStringLiteral("head"), QStringLiteral("piston"), QStringLiteral("side")}) {
        const QDir dir(caseDir.filePath(surface));
        for (const QString &map : dir.entryList({QStringLiteral("*.png")}, QDir::Files))
            found.maps.insert(surface + QLatin1Char('/') + map, QImage(dir.filePath(map)));
        for (const QString &copy : dir.entryList({QStringLiteral("*_mod.txt")}, QDir::Files)) {
            QFile file(dir.filePath(copy));
            found.files.insert(surface + QLatin1Char('/') + copy, file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
            file.close();
            file.remove();
        }
        for (const QString &map : dir.entryList({QStringLiteral("*.png")}, QDir::Files))
            QFile::remove(dir.filePath(map));
    }
    for (const QString &script : executingFiles.entryList({QStringLiteral("gp_*.txt")}, QDir::Files)) {
        QFile file(executingFiles.filePath(script));
        found.files.insert(script, file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
        file.close();
        file.remove();
    }
    return found;
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void calculateAndPlot();

private:
    std::unique_ptr<TestWorkspace> m_ws;
    std::unique_ptr<Kalvex> m_window;
};

void TestEndToEnd::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("gnuplot")).isEmpty())
        QSKIP("gnuplot is not installed");
    m_ws = std::make_unique<TestWorkspace>();
    QVERIFY(m_ws->isValid());
    QVERIFY(m_ws->copyProgram(QStringLiteral(KALVEX_SOLVER), QStringLiteral("euler.exe")));
    // The shipped stand-in for gnuplot's Windows executable.
    QVERIFY(m_ws->copyProgram(sourceDir + QStringLiteral("/tools/wgnuplot.exe"), QStringLiteral("wgnuplot.exe")));
    QVERIFY(m_ws->copyReferenceMesh(sourceDir + QStringLiteral("/data/reference_valve_pocket.msh")));

    QVERIFY(QDir::setCurrent(m_ws->executingDir()));
    m_window.reset(createMainWindow());
    m_window->show();
}

void TestEndToEnd::cleanupTestCase()
{
    m_window.reset();
    m_ws.reset();
}

void TestEndToEnd::calculateAndPlot()
{
    auto field = [this](const char *name) { return m_window->findChild<QLineEdit *>(QLatin1String(name)); };
    auto button = [this](const char *name) { return m_window->findChild<QPushButton *>(QLatin1String(name)); };

    // This session must run clean: any dialog but the two file dialogs fails it.
    DialogAnswerer dialogs(DialogAnswerer::Strict);
    dialogs.chooseFile(sourceDir + QStringLiteral("/data/samples/Case680mm_valves.txt"));
    m_window->findChild<QAction *>(QStringLiteral("actionGetEVData"))->trigger();
    dialogs.chooseFile(sourceDir + QStringLiteral("/data/samples/Case680mm_cylinder.txt"));
    m_window->findChild<QAction *>(QStringLiteral("actionOpen"))->trigger();
    QCOMPARE(dialogs.titles(), (QStringList{"Open Valve Data File", "Open Cylinder Data File"}));
    QCOMPARE(field("lineEdit_CA")->text(), QStringLiteral("Case680mm"));
    QCOMPARE(field("lineEdit_PA_1")->text(), QStringLiteral("0.680"));
    QCOMPARE(field("lineEdit_PA_18")->text(), QStringLiteral("2"));

    // A short run on a coarse chamber mesh (n1, n2, n3) keeps the test quick;
    // everything else is the sample case.
    field("lineEdit_PA_16")->setText(QString::number(steps));
    field("lineEdit_PA_10")->setText(QStringLiteral("4"));
    field("lineEdit_PA_11")->setText(QStringLiteral("1"));
    field("lineEdit_PA_12")->setText(QStringLiteral("2"));

    const QDir caseDir(m_ws->path(QStringLiteral("Case680mm")));
    button("startEuler")->click();
    QVERIFY2(dialogs.unexpected().isEmpty(), qPrintable(dialogs.unexpected().join(", ")));
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
    QVERIFY(QFile::exists(m_ws->path(QStringLiteral("dP=680mm.msh"))));

    // The solver runs detached; its log says when it is done.
    auto solverLog = [&caseDir] {
        QFile log(caseDir.filePath(QStringLiteral("euler.log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(solverLog().contains(QStringLiteral("Finished"))
                                 || solverLog().contains(QStringLiteral("ERROR")), 120000);
    QVERIFY2(!solverLog().contains(QStringLiteral("ERROR")), qPrintable(solverLog()));
    // The window has followed the run and says so.
    auto *status = m_window->findChild<QLabel *>(QStringLiteral("runStatus"));
    QTRY_VERIFY2(status->text().startsWith(QStringLiteral("Case680mm: solver finished in ")),
                 qPrintable(status->text()));
    QVERIFY(caseDir.exists(QStringLiteral("Output.txt")));
    // The three-dimensional solver ran, and left its ParaView files.
    QVERIFY(solverLog().startsWith(QStringLiteral("euler: three-dimensional")));
    QVERIFY(caseDir.exists(QStringLiteral("chamber.pvd")));

    button("plothps")->click();
    QVERIFY2(dialogs.unexpected().isEmpty(), qPrintable(dialogs.unexpected().join(", ")));
    for (int k = 1; k <= steps; ++k) {
        for (const QString &surface : {QStringLiteral("head"), QStringLiteral("piston"), QStringLiteral("side")}) {
            for (const QString &map : {QStringLiteral("density"), QStringLiteral("pressure"), QStringLiteral("velocity")}) {
                const QString png = caseDir.filePath(QStringLiteral("%1/%1%2_%3.png")
                                                         .arg(surface, ResultFile::stepNumber(k), map));
                QCOMPARE(imageSize(png), QSize(1024, 768));
            }
        }
    }

    // Drawn by one job after the other, the maps are the same to the pixel,
    // and the grid copies and final scripts to the byte.
    const QDir executingFiles(m_ws->executingDir());
    const FieldMapFiles parallel = fieldMapFiles(caseDir, executingFiles);
    QCOMPARE(parallel.maps.size(), 3 * 3 * steps);
    FieldTexts texts;
    for (const Parameter key : FieldMaps::RunInputs::parameters())
        texts.insert(key, m_window->parameterField(key)->text());
    FieldMaps::FieldMapRun sequential(FieldMaps::RunInputs::fromTexts(texts), m_window.get(), {});
    QVERIFY(sequential.jobs() > 1 || QThread::idealThreadCount() < 2);
    sequential.setJobs(1);
    sequential.run(QDir::currentPath(),
                   {&FieldMaps::headSurface(), &FieldMaps::pistonSurface(), &FieldMaps::sideSurface()});
    const FieldMapFiles oneJob = fieldMapFiles(caseDir, executingFiles);
    QCOMPARE(oneJob.maps.keys(), parallel.maps.keys());
    for (auto it = oneJob.maps.cbegin(); it != oneJob.maps.cend(); ++it)
        QVERIFY2(it.value() == parallel.maps.value(it.key()), qPrintable(it.key()));
    QCOMPARE(oneJob.files, parallel.files);

    auto *plot = m_window->findChild<QLabel *>(QStringLiteral("label_gpplot"));
    for (const char *quantity : {"radioButton", "radioButton_2", "radioButton_3", "radioButton_4"}) {
        m_window->findChild<QRadioButton *>(QLatin1String(quantity))->setChecked(true);
        plot->clear();
        button("plotresults")->click();
        QVERIFY2(dialogs.unexpected().isEmpty(), qPrintable(dialogs.unexpected().join(", ")));
        QCOMPARE(plot->pixmap().size(), QSize(600, 350));
    }

    plot->clear();
    button("plotalpha")->click();
    QVERIFY2(dialogs.unexpected().isEmpty(), qPrintable(dialogs.unexpected().join(", ")));
    QCOMPARE(plot->pixmap().size(), QSize(600, 350));
    QVERIFY(caseDir.exists(QStringLiteral("alpha_on_HPS.txt")));
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
