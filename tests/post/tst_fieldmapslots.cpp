// The field-map slots of the window, run against small solver cases in a
// temporary workspace with the real gnuplot behind ./wgnuplot.exe.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTextStream>
#include <QTimer>
#include <QtTest>

#include "dialoganswerer.h"
#include "kalvex.h"
#include "post/gnuplotjob.h"
#include "syntheticcase.h"
#include "testworkspace.h"

namespace {

const QString caseName = QStringLiteral("CaseT");

// Keeps the debug lines printed while it lives.
class DebugLines
{
public:
    DebugLines() { s_lines.clear(); m_previous = qInstallMessageHandler(collect); }
    ~DebugLines() { qInstallMessageHandler(m_previous); }
    static QStringList lines() { return s_lines; }

private:
    static void collect(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        if (type == QtDebugMsg)
            s_lines << text;
    }
    static inline QStringList s_lines;
    QtMessageHandler m_previous;
};

} // namespace

class TestFieldMapSlots : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void plotHpsDrawsEveryMap();
    void missingPlottingProgramReportedOnce();
    void missingDirectoriesStopTheirSurface();
    void noStepsWritesNothing();
    void missingResultFileSkipsItsMaps();
    void failingRunsReportedInOneMessage();
    void sideWithoutDischargeValvesDrawsVelocityOnly();
    void overlongRunStopped();
    void cancelStopsAfterCurrentMap_data();
    void cancelStopsAfterCurrentMap();
    void headDiagnosticLines();
    void gnuplotScriptReadsPocketAngles();
    void testPlot();
    void testPlotUnwritableScript();

private:
    void setField(const char *name, const QString &text);
    QString casePath(const QString &relative) const;
    QStringList mapsIn(const QString &subdir) const;

    TestWorkspace *m_ws = nullptr;
    Kalvex *m_window = nullptr;
};

void TestFieldMapSlots::init()
{
    m_ws = new TestWorkspace;
    QVERIFY(m_ws->isValid());
    QString error;
    QVERIFY2(SyntheticCase::write(casePath(QString()), 2, {3, 8}, {4, 12}, &error), qPrintable(error));
    QVERIFY(QDir::setCurrent(m_ws->executingDir()));

    m_window = new Kalvex;
    setField("lineEdit_CA", caseName);
    setField("lineEdit_PA_16", QStringLiteral("2.5"));
    setField("lineEdit_PA_1", QString::number(SyntheticCase::pistonDiameter));
    setField("lineEdit_PA_17", QString::number(SyntheticCase::valveDiameter));
    setField("lineEdit_PA_18", QStringLiteral("2"));
    setField("lineEdit_PA_28", QStringLiteral("1"));
    setField("lineEdit_PA_19a", QStringLiteral("30"));
    setField("lineEdit_PA_19b", QStringLiteral("150"));
    setField("lineEdit_PA_29a", QStringLiteral("270"));
}

void TestFieldMapSlots::cleanup()
{
    delete m_window;
    delete m_ws;
}

void TestFieldMapSlots::setField(const char *name, const QString &text)
{
    auto *field = m_window->findChild<QLineEdit *>(QString::fromLatin1(name));
    QVERIFY2(field, name);
    field->setText(text);
}

QString TestFieldMapSlots::casePath(const QString &relative) const
{
    return QDir::cleanPath(m_ws->path(caseName + QLatin1Char('/') + relative));
}

QStringList TestFieldMapSlots::mapsIn(const QString &subdir) const
{
    return QDir(casePath(subdir)).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
}

void TestFieldMapSlots::plotHpsDrawsEveryMap()
{
    QVERIFY(m_ws->installGnuplot());
    DialogAnswerer dialogs;
    m_window->plotHPS();

    QCOMPARE(dialogs.messages(), QStringList());
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
    for (const QString surface : {"head", "piston", "side"}) {
        QStringList expected;
        for (const QString step : {"001", "002"})
            for (const QString quantity : {"density", "pressure", "velocity"})
                expected << QStringLiteral("%1%2_%3.png").arg(surface, step, quantity);
        expected.sort();
        QCOMPARE(mapsIn(surface), expected);
        for (const QString &map : expected) {
            const QImage image(casePath(surface + QLatin1Char('/') + map));
            QVERIFY2(!image.isNull(), qPrintable(map));
            QCOMPARE(image.size(), QSize(1024, 768));
        }
        QVERIFY(QFile::exists(casePath(surface + QLatin1Char('/') + surface + "002_mod.txt")));
    }
    // The scripts left in ExecutingFiles are those of the side wall's last step.
    QFile script(QStringLiteral("gp_d.txt"));
    QVERIFY(script.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(script.readAll());
    QVERIFY(text.contains(QStringLiteral("set output '../CaseT/side/side002_density.png'\n")));
    QVERIFY(text.contains(QStringLiteral("alpha2SV=2.61667\n")));
    QVERIFY(text.endsWith(QStringLiteral("SV2z(u) notitle\nset output\n")));
}

void TestFieldMapSlots::missingPlottingProgramReportedOnce()
{
    DialogAnswerer dialogs;
    m_window->plotHPS();

    QCOMPARE(dialogs.messages().size(), 1);
    QCOMPARE(dialogs.messages().first().count(QStringLiteral("./wgnuplot.exe")), 1);
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
    QVERIFY(QFile::exists(casePath(QStringLiteral("head/head002_mod.txt"))));
    QCOMPARE(mapsIn(QStringLiteral("head")), QStringList());
}

void TestFieldMapSlots::missingDirectoriesStopTheirSurface()
{
    QVERIFY(QDir(casePath(QStringLiteral("piston"))).removeRecursively());
    QVERIFY(m_ws->installGnuplot());
    setField("lineEdit_PA_16", QStringLiteral("1"));
    DialogAnswerer dialogs;
    m_window->plotHPS();

    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().contains(casePath(QStringLiteral("piston"))),
             qPrintable(dialogs.messages().first()));
    QCOMPARE(mapsIn(QStringLiteral("head")).size(), 3);
    QCOMPARE(mapsIn(QStringLiteral("side")).size(), 3);
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());

    // Without the case directory nothing is written anywhere.
    QVERIFY(QDir(casePath(QString())).removeRecursively());
    const QStringList before = QDir(m_ws->root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QFile::remove(QStringLiteral("gp_d.txt"));
    m_window->plotHead();
    QCOMPARE(dialogs.messages().size(), 2);
    QVERIFY2(dialogs.messages().last().contains(casePath(QString())), qPrintable(dialogs.messages().last()));
    QVERIFY(!QFile::exists(QStringLiteral("gp_d.txt")));
    QCOMPARE(QDir(m_ws->root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
}

void TestFieldMapSlots::noStepsWritesNothing()
{
    QVERIFY(m_ws->installGnuplot());
    setField("lineEdit_PA_16", QString());
    DialogAnswerer dialogs;
    DebugLines debug;
    m_window->plotPiston();

    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
    QVERIFY(!QFile::exists(casePath(QStringLiteral("piston/piston001_mod.txt"))));
    QVERIFY(!QFile::exists(QStringLiteral("gp_d.txt")));
    const QStringList lines = debug.lines();
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines.at(0), QStringLiteral("Out current working directory is: \"%1\"")
                              .arg(casePath(QStringLiteral("piston"))));
    QCOMPARE(lines.mid(1), (QStringList{"Anzahl Out-Files: 0", "xmin= 1", "xmax= -1", "umax= 0",
                                        "vmax= 0"}));
    QCOMPARE(dialogs.messages().size(), 1);   // nothing to plot is said, not hidden
}

void TestFieldMapSlots::missingResultFileSkipsItsMaps()
{
    QVERIFY(m_ws->installGnuplot());
    QVERIFY(QFile::remove(casePath(QStringLiteral("head/head002.txt"))));
    DialogAnswerer dialogs;
    m_window->plotHead();

    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().contains(QStringLiteral("head002.txt")), qPrintable(dialogs.messages().first()));
    QCOMPARE(mapsIn(QStringLiteral("head")),
             (QStringList{"head001_density.png", "head001_pressure.png", "head001_velocity.png"}));
    const QFileInfo emptyCopy(casePath(QStringLiteral("head/head002_mod.txt")));
    QVERIFY(emptyCopy.exists());
    QCOMPARE(emptyCopy.size(), 0);
}

void TestFieldMapSlots::failingRunsReportedInOneMessage()
{
    QVERIFY(m_ws->writeProgram(QStringLiteral("wgnuplot.exe"),
                               "#!/bin/sh\necho \"line 3: undefined variable\" >&2\nexit 1\n"));
    DialogAnswerer dialogs;
    m_window->plotPiston();

    QCOMPARE(dialogs.messages().size(), 1);
    const QString text = dialogs.messages().first();
    for (const char *map : {"piston001_density.png", "piston001_velocity.png", "piston002_pressure.png"})
        QVERIFY2(text.contains(QString::fromLatin1(map)), qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("exit code 1 (line 3: undefined variable)")), 6);
}

void TestFieldMapSlots::sideWithoutDischargeValvesDrawsVelocityOnly()
{
    QVERIFY(m_ws->installGnuplot());
    setField("lineEdit_PA_28", QStringLiteral("0"));
    DialogAnswerer dialogs;
    m_window->plotSide();

    QCOMPARE(mapsIn(QStringLiteral("side")),
             (QStringList{"side001_velocity.png", "side002_velocity.png"}));
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().contains(QStringLiteral("found 2 and 0")), qPrintable(dialogs.messages().first()));
    QFile script(QStringLiteral("gp_d.txt"));   // still written, without a plot command
    QVERIFY(script.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(script.readAll());
    QVERIFY(text.contains(QStringLiteral("\nSV1z(u)=r2*sin(u)\nset output\n")));
    QVERIFY(!text.contains(QStringLiteral("splot")));
}

void TestFieldMapSlots::overlongRunStopped()
{
    QVERIFY(m_ws->writeProgram(QStringLiteral("wgnuplot.exe"), "#!/bin/sh\nexec sleep 20\n"));
    QObject parent;
    GnuplotJob job(&parent);
    QElapsedTimer timer;
    timer.start();
    const JobOutcome outcome = job.run(QStringLiteral("gp_d.txt"), 300);
    QCOMPARE(outcome.status, JobOutcome::TimedOut);
    QVERIFY(timer.elapsed() < 10000);
    QVERIFY(!outcome.describe().isEmpty());
}

void TestFieldMapSlots::cancelStopsAfterCurrentMap_data()
{
    QTest::addColumn<QString>("cancelAt");   // start of the progress label
    QTest::addColumn<QStringList>("headMaps");

    QTest::newRow("while reading") << "Head: reading step 1 of 2\n" << QStringList();
    // The first map of every step started: step 2's too, when a second job drew it.
    QTest::newRow("while drawing") << "Head: step " << QStringList{"head001_density.png"};
}

void TestFieldMapSlots::cancelStopsAfterCurrentMap()
{
    QFETCH(QString, cancelAt);
    QFETCH(QStringList, headMaps);
    QVERIFY(m_ws->installGnuplot());
    bool cancelled = false;
    std::function<void()> cancelWhenShown = [&] {
        auto *progress = m_window->findChild<QProgressDialog *>();
        if (progress && progress->labelText().startsWith(cancelAt)) {
            progress->cancel();
            cancelled = true;
            return;
        }
        QTimer::singleShot(1, cancelWhenShown);
    };
    QTimer::singleShot(0, cancelWhenShown);
    DialogAnswerer dialogs;
    m_window->plotHPS();

    QVERIFY(cancelled);
    QStringList maps = mapsIn(QStringLiteral("head"));
    if (!headMaps.isEmpty())
        maps.removeOne(QStringLiteral("head002_density.png"));
    QCOMPARE(maps, headMaps);
    // Cancelled while reading step 1: step 2 is not read.
    QCOMPARE(QFile::exists(casePath(QStringLiteral("head/head002_mod.txt"))), !headMaps.isEmpty());
    QCOMPARE(mapsIn(QStringLiteral("piston")), QStringList());
    QCOMPARE(mapsIn(QStringLiteral("side")), QStringList());
    QCOMPARE(dialogs.messages(), QStringList());
    QVERIFY(!m_window->findChild<QProgressDialog *>());
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
}

void TestFieldMapSlots::headDiagnosticLines()
{
    QVERIFY(m_ws->installGnuplot());
    setField("lineEdit_PA_16", QStringLiteral("1"));
    const QString result = casePath(QStringLiteral("head/head001.txt"));
    QVERIFY(QFile::remove(result));
    QVERIFY(QFile::copy(QFINDTESTDATA("data/head_rows.txt"), result));
    DebugLines debug;
    m_window->plotHead();

    QCOMPARE(debug.lines(),
             (QStringList{QStringLiteral("Our current working directory is: \"%1\"").arg(casePath("head")),
                          "Anzahl Out-Files: 1",
                          "FileName: \"head001.txt\"",
                          "FileNameNew: \"head001_mod.txt\"",
                          "xmin= -0.1",
                          "xmax= 0.1",
                          "umax= 3",
                          "vmax= 4",
                          "arguments= (\"gp_d.txt\")",
                          "cmd= \"./wgnuplot.exe\""}));
}

void TestFieldMapSlots::gnuplotScriptReadsPocketAngles()
{
    setField("lineEdit_PA_19e", QStringLiteral("90"));
    setField("lineEdit_PA_29b", QStringLiteral("not a number"));
    QString text;
    QTextStream out(&text);
    QString gridCopy = QStringLiteral("../CaseT/side/side001_mod.txt");
    m_window->gnuplotScript(9, 5, 2, out, gridCopy);

    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 20 + 8 + 1);
    QCOMPARE(lines.at(0), QStringLiteral("alpha5SV=1.57"));
    QCOMPARE(lines.at(16), QStringLiteral("alpha1SV=0.523333"));
    QCOMPARE(lines.at(20), QStringLiteral("alpha2DV=0"));
    QCOMPARE(lines.at(24), QStringLiteral("alpha1DV=4.71"));
    QVERIFY(lines.last().startsWith(
        QStringLiteral("splot '../CaseT/side/side001_mod.txt' using 4:5:6:9 notitle w pm3d,DV1x(u)")));
}

void TestFieldMapSlots::testPlot()
{
    QVERIFY(m_ws->installGnuplot());
    DialogAnswerer dialogs;
    m_window->plotResults();

    QFile script(QStringLiteral("gp.txt"));
    QVERIFY(script.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromUtf8(script.readAll()),
             QStringLiteral("set terminal png size 480,320\nset output 'test.png'\na = 0.9\n"
                            "f(x) = a * sin(x)\nplot f(x) title 'sin(x)' with lines\n"));
    QCOMPARE(dialogs.messages(), QStringList());
    const QPixmap shown = m_window->findChild<QLabel *>(QStringLiteral("label_gpplot"))->pixmap();
    QCOMPARE(shown.size(), QSize(480, 320));
}

void TestFieldMapSlots::testPlotUnwritableScript()
{
    QVERIFY(QDir().mkdir(QStringLiteral("gp.txt")));   // a directory cannot be opened as a file
    DialogAnswerer dialogs;
    m_window->plotResults();

    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY(dialogs.messages().first().startsWith(QStringLiteral("Datei nicht in Datei schreiben gp.txt:\n")));
    QVERIFY(m_window->findChild<QLabel *>(QStringLiteral("label_gpplot"))->pixmap().isNull());
}

QTEST_MAIN(TestFieldMapSlots)
#include "tst_fieldmapslots.moc"
