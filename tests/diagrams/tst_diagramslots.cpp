#include "dialoganswerer.h"
#include "kalvex.h"
#include "testworkspace.h"

#include <QApplication>
#include <QDirIterator>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QtTest>

namespace {

const QString caseName = QStringLiteral("Case680mm");

bool copyTree(const QString &from, const QString &to)
{
    QDir target(to);
    if (!target.mkpath(QStringLiteral(".")))
        return false;
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString relative = QDir(from).relativeFilePath(it.filePath());
        const bool copied = it.fileInfo().isDir() ? target.mkpath(relative)
                                                  : QFile::copy(it.filePath(), target.filePath(relative));
        if (!copied)
            return false;
    }
    return true;
}

QStringList fileLines(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool writeStaleImage(const QString &fileName)
{
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    return image.save(fileName, "PNG");
}

} // namespace

// Runs the real window slots in a temporary workspace: <root>/ExecutingFiles
// with a "wgnuplot.exe" that hands over to gnuplot, and a small solver case.
class TestDiagramSlots : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void valvesShowDiagram_data();
    void valvesShowDiagram();
    void valvesDiagnosticLines();
    void valvesDeleteOldImageBeforeStart();
    void valvesReportMissingHistory();
    void valvesReportProgramWithoutImage();
    void valvesReportMissingProgram();
    void valvesRefuseCounts_data();
    void valvesRefuseCounts();
    void valvesSuctionFlowIgnoresDischargeCount();
    void valvesReportUnwritableScript();

    void alphaTableAndDiagram();
    void alphaMissingCase_data();
    void alphaMissingCase();
    void alphaUnwritableTable();
    void alphaEndsInExecutingFiles();
    void alphaExecutingFilesUnreachable();
    void alphaNoStepsKeepsTable();
    void alphaReportsMissingImage();
    void alphaAllUndefined();

private:
    QString exec(const QString &name) const { return m_ws->program(name); }
    QString casePath(const QString &name = QString()) const { return m_ws->path(caseName + QLatin1Char('/') + name); }
    template<class W> W *widget(const char *name) { return m_window->findChild<W *>(QLatin1String(name)); }
    void setText(const char *field, const QString &text) { widget<QLineEdit>(field)->setText(text); }
    QPixmap shownPixmap() { return widget<QLabel>("label_gpplot")->pixmap(); }
    void setAlphaInputs(const QString &steps);

    std::unique_ptr<TestWorkspace> m_ws;
    std::unique_ptr<Kalvex> m_window;
};

void TestDiagramSlots::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("gnuplot")).isEmpty())
        QSKIP("gnuplot is not installed");
}

void TestDiagramSlots::init()
{
    m_ws = std::make_unique<TestWorkspace>();
    QVERIFY(m_ws->isValid());
    QVERIFY(m_ws->installGnuplot());
    QVERIFY(copyTree(QFINDTESTDATA("data/Case"), m_ws->path(caseName)));
    QVERIFY(QDir::setCurrent(m_ws->executingDir()));

    m_window = std::make_unique<Kalvex>();
    setText("lineEdit_CA", caseName);
    setText("lineEdit_PA_18", QStringLiteral("2"));
    setText("lineEdit_PA_28", QStringLiteral("2"));
}

void TestDiagramSlots::cleanup()
{
    m_window.reset();
    m_ws.reset();
}

void TestDiagramSlots::valvesShowDiagram_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("yLabelLine");
    QTest::newRow("massflow discharge v.") << "radioButton" << "set ylabel 'mass flow [kg/s]'";
    QTest::newRow("massflow suction v.") << "radioButton_2" << "set ylabel 'mass flow [kg/s]'";
    QTest::newRow("valve lifting") << "radioButton_3" << "set ylabel 'valve lift [m]'";
    QTest::newRow("valve speed") << "radioButton_4" << "set ylabel 'valve velocity [m/s]'";
}

void TestDiagramSlots::valvesShowDiagram()
{
    QFETCH(QString, button);
    QFETCH(QString, yLabelLine);
    m_window->findChild<QRadioButton *>(button)->setChecked(true);
    DialogAnswerer dialogs;
    m_window->plotValves();
    QCOMPARE(dialogs.messages(), QStringList());
    QCOMPARE(fileLines(exec(QStringLiteral("gp.txt"))).value(3), yLabelLine);
    QCOMPARE(shownPixmap().size(), QSize(600, 350));
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
}

void TestDiagramSlots::valvesDiagnosticLines()
{
    QTest::ignoreMessage(QtDebugMsg, "Flush-State: true");
    QTest::ignoreMessage(QtDebugMsg, "arguments= (\"gp.txt\")");
    QTest::ignoreMessage(QtDebugMsg, "cmd= \"./wgnuplot.exe\"");
    m_window->plotValves();
    QVERIFY(!shownPixmap().isNull());
}

void TestDiagramSlots::valvesDeleteOldImageBeforeStart()
{
    QVERIFY(writeStaleImage(exec(QStringLiteral("Valves.png"))));
    QVERIFY(m_ws->writeProgram(QStringLiteral("wgnuplot.exe"),
                               "#!/bin/sh\n"
                               "if [ -e Valves.png ]; then echo present > seen.txt; else echo absent > seen.txt; fi\n"
                               "exec gnuplot \"$@\"\n"));
    m_window->plotValves();
    QCOMPARE(fileLines(exec(QStringLiteral("seen.txt"))), QStringList{"absent"});
    QCOMPARE(shownPixmap().size(), QSize(600, 350));
}

void TestDiagramSlots::valvesReportMissingHistory()
{
    QVERIFY(writeStaleImage(exec(QStringLiteral("old.png"))));
    widget<QLabel>("label_gpplot")->setPixmap(QPixmap(exec(QStringLiteral("old.png"))));
    QVERIFY(QFile::remove(casePath(QStringLiteral("Output.txt"))));
    DialogAnswerer dialogs;
    m_window->plotValves();
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().contains(QLatin1String("Output.txt")), qPrintable(dialogs.messages().first()));
    QVERIFY(dialogs.messages().first().contains(QLatin1String("Valves.png")));
    QVERIFY(shownPixmap().isNull()); // the earlier picture is gone
}

void TestDiagramSlots::valvesReportProgramWithoutImage()
{
    // Ends at once without drawing: the slot must not wait for an image.
    QVERIFY(m_ws->writeProgram(QStringLiteral("wgnuplot.exe"), "#!/bin/sh\necho 'cannot draw' >&2\nexit 0\n"));
    DialogAnswerer dialogs;
    QElapsedTimer clock;
    clock.start();
    m_window->plotValves();
    QVERIFY(clock.elapsed() < 30000);
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY(dialogs.messages().first().contains(QLatin1String("cannot draw")));
    QVERIFY(shownPixmap().isNull());
}

void TestDiagramSlots::valvesReportMissingProgram()
{
    QVERIFY(QFile::remove(exec(QStringLiteral("wgnuplot.exe"))));
    DialogAnswerer dialogs;
    m_window->plotValves();
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().contains(QLatin1String("could not be started")),
             qPrintable(dialogs.messages().first()));
}

void TestDiagramSlots::valvesRefuseCounts_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    const QString suction = QStringLiteral("Number of suction valves (1)");
    const QString discharge = QStringLiteral("Number of discharge valves (1)");
    QTest::newRow("no suction valves") << "radioButton" << "lineEdit_PA_18" << "0" << suction;
    QTest::newRow("nine suction valves") << "radioButton_3" << "lineEdit_PA_18" << "9" << suction;
    QTest::newRow("suction count in words") << "radioButton_2" << "lineEdit_PA_18" << "two" << suction;
    QTest::newRow("empty suction count") << "radioButton_4" << "lineEdit_PA_18" << "" << suction;
    QTest::newRow("nine discharge valves") << "radioButton" << "lineEdit_PA_28" << "9" << discharge;
    QTest::newRow("fractional discharge count") << "radioButton_3" << "lineEdit_PA_28" << "1.5" << discharge;
    QTest::newRow("negative discharge count") << "radioButton_4" << "lineEdit_PA_28" << "-1" << discharge;
}

void TestDiagramSlots::valvesRefuseCounts()
{
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, label);
    m_window->findChild<QRadioButton *>(button)->setChecked(true);
    m_window->findChild<QLineEdit *>(field)->setText(text);
    DialogAnswerer dialogs;
    m_window->plotValves();
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().contains(label), qPrintable(dialogs.messages().first()));
    QVERIFY(!QFile::exists(exec(QStringLiteral("gp.txt"))));
    QVERIFY(!QFile::exists(exec(QStringLiteral("Valves.png"))));
}

void TestDiagramSlots::valvesSuctionFlowIgnoresDischargeCount()
{
    widget<QRadioButton>("radioButton_2")->setChecked(true);
    setText("lineEdit_PA_28", QStringLiteral("none"));
    DialogAnswerer dialogs;
    m_window->plotValves();
    QCOMPARE(dialogs.messages(), QStringList());
    QCOMPARE(shownPixmap().size(), QSize(600, 350));
}

void TestDiagramSlots::valvesReportUnwritableScript()
{
    QVERIFY(QDir().mkdir(exec(QStringLiteral("gp.txt"))));
    QVERIFY(writeStaleImage(exec(QStringLiteral("Valves.png"))));
    DialogAnswerer dialogs;
    m_window->plotValves();
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY(dialogs.messages().first().contains(QLatin1String("gp.txt")));
    // Nothing ran on an old script.
    QCOMPARE(QImage(exec(QStringLiteral("Valves.png"))).size(), QSize(10, 10));
}

void TestDiagramSlots::setAlphaInputs(const QString &steps)
{
    setText("lineEdit_PA_16", steps);
    setText("lineEdit_PA_1", QStringLiteral("0.2"));
    setText("lineEdit_PA_6", QStringLiteral("1.4"));
    setText("lineEdit_PA_19", QString());
    setText("lineEdit_PA_29", QStringLiteral("1.8e-05"));
}

void TestDiagramSlots::alphaTableAndDiagram()
{
    setAlphaInputs(QStringLiteral("3"));
    const QString firstSurface = QDir::cleanPath(casePath(QStringLiteral("head")));
    QTest::ignoreMessage(QtDebugMsg,
                         qPrintable(QStringLiteral("Our current working directory is: \"%1\"").arg(firstSurface)));
    DialogAnswerer dialogs;
    m_window->plotAlpha();
    QCOMPARE(dialogs.messages(), QStringList());
    // piston003 is missing, side002 has no positive pressure, head003 no speed:
    // those points are left out of the curves.
    const QStringList expected{
        "                 1         42.474925         22.520077         42.474925",
        "                 2          75.26333         150.57216               nan",
        "                 3               nan               nan         53.809801",
    };
    QCOMPARE(fileLines(casePath(QStringLiteral("alpha_on_HPS.txt"))), expected);
    QCOMPARE(shownPixmap().size(), QSize(600, 350));
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
    QCOMPARE(fileLines(exec(QStringLiteral("gp_a.txt"))).size(), 7);
}

void TestDiagramSlots::alphaMissingCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing case") << "Case999mm";
    QTest::newRow("empty case name") << "";
    QTest::newRow("the root") << ".";
}

void TestDiagramSlots::alphaMissingCase()
{
    QFETCH(QString, name);
    setAlphaInputs(QStringLiteral("3"));
    setText("lineEdit_CA", name);
    DialogAnswerer dialogs;
    m_window->plotAlpha();
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY(dialogs.messages().first().contains(QLatin1String("case directory")));
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
    QVERIFY(!QFile::exists(exec(QStringLiteral("alpha_on_HPS.txt"))));
    QVERIFY(!QFile::exists(m_ws->path(QStringLiteral("alpha_on_HPS.txt"))));
    QVERIFY(!QFile::exists(exec(QStringLiteral("gp_a.txt"))));
}

// Started in another directory under the root, the slot ends in ExecutingFiles.
void TestDiagramSlots::alphaEndsInExecutingFiles()
{
    setAlphaInputs(QStringLiteral("3"));
    QVERIFY(QDir(m_ws->root()).mkdir(QStringLiteral("Other")));
    QVERIFY(QDir::setCurrent(m_ws->path(QStringLiteral("Other"))));
    DialogAnswerer dialogs;
    m_window->plotAlpha();
    QCOMPARE(dialogs.messages(), QStringList());
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
    QCOMPARE(shownPixmap().size(), QSize(600, 350));
}

// Without an ExecutingFiles to enter, the slot says so, writes no script
// where it happens to be, and leaves the current directory where it was.
void TestDiagramSlots::alphaExecutingFilesUnreachable()
{
    setAlphaInputs(QStringLiteral("3"));
    const QString other = m_ws->path(QStringLiteral("Other"));
    QVERIFY(QDir(m_ws->root()).mkdir(QStringLiteral("Other")));
    QVERIFY(QDir(m_ws->root()).rename(QStringLiteral("ExecutingFiles"), QStringLiteral("Programs")));
    QVERIFY(QDir::setCurrent(other));
    DialogAnswerer dialogs;
    m_window->plotAlpha();
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().contains(m_ws->executingDir() + QStringLiteral(" could not be entered")),
             qPrintable(dialogs.messages().first()));
    QCOMPARE(QDir::currentPath(), other);
    QCOMPARE(QDir(other).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(QFile::exists(casePath(QStringLiteral("alpha_on_HPS.txt"))));
}

void TestDiagramSlots::alphaUnwritableTable()
{
    setAlphaInputs(QStringLiteral("3"));
    QVERIFY(QDir().mkpath(casePath(QStringLiteral("alpha_on_HPS.txt"))));
    DialogAnswerer dialogs;
    m_window->plotAlpha();
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY(dialogs.messages().first().contains(QLatin1String("alpha_on_HPS.txt")));
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
    QVERIFY(!QFile::exists(exec(QStringLiteral("gp_a.txt"))));
}

void TestDiagramSlots::alphaNoStepsKeepsTable()
{
    const QByteArray table = "1 10 20 30\n2 11 21 31\n3 12 22 32\n";
    {
        QFile file(casePath(QStringLiteral("alpha_on_HPS.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(table);
    }
    setAlphaInputs(QStringLiteral("0"));
    DialogAnswerer dialogs;
    m_window->plotAlpha();
    QCOMPARE(dialogs.messages(), QStringList());
    QFile file(casePath(QStringLiteral("alpha_on_HPS.txt")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), table);
    QVERIFY(!QFile::exists(exec(QStringLiteral("alpha_on_HPS.txt"))));
    QCOMPARE(shownPixmap().size(), QSize(600, 350));
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
}

void TestDiagramSlots::alphaReportsMissingImage()
{
    setAlphaInputs(QStringLiteral("3"));
    QVERIFY(writeStaleImage(exec(QStringLiteral("Alpha.png"))));
    QVERIFY(m_ws->writeProgram(QStringLiteral("wgnuplot.exe"), "#!/bin/sh\nexit 1\n"));
    DialogAnswerer dialogs;
    m_window->plotAlpha();
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY(dialogs.messages().first().contains(QLatin1String("Alpha.png")));
    QVERIFY(!QFile::exists(exec(QStringLiteral("Alpha.png"))));
    QVERIFY(shownPixmap().isNull());
    QCOMPARE(QDir::currentPath(), m_ws->executingDir());
}

void TestDiagramSlots::alphaAllUndefined()
{
    // Without a viscosity Re is infinite: no coefficient is defined, gnuplot
    // has nothing to draw and says so.
    setAlphaInputs(QStringLiteral("2"));
    setText("lineEdit_PA_29", QString());
    DialogAnswerer dialogs;
    m_window->plotAlpha();
    QCOMPARE(fileLines(casePath(QStringLiteral("alpha_on_HPS.txt"))),
             (QStringList{"                 1               nan               nan               nan",
                          "                 2               nan               nan               nan"}));
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().contains(QLatin1String("undefined")), qPrintable(dialogs.messages().first()));
    QVERIFY(shownPixmap().isNull());
}

QTEST_MAIN(TestDiagramSlots)
#include "tst_diagramslots.moc"
