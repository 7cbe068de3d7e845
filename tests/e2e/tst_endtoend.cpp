// A user's session from start to finish: read the sample data through the
// file dialogs, press "Calculate", wait for the solver, press every plot button.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include "kalvex.h"
#include "post/resultfile.h"

namespace {

const QString sourceDir = QStringLiteral(KALVEX_SOURCE_DIR);
constexpr int steps = 3;

bool copyExecutable(const QString &from, const QString &to)
{
    return QFile::copy(from, to)
        && QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

QSize imageSize(const QString &path)
{
    QImageReader reader(path);
    return reader.format() == "png" ? reader.size() : QSize();
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
    // Answers the next file dialog with `path`.
    void chooseFile(const QString &path);
    // Fails the test on any message box: this session must run clean.
    void refuseMessageBoxes();

    QTemporaryDir m_root;
    QString m_startDir;
    std::unique_ptr<Kalvex> m_window;
    QStringList m_unexpectedDialogs;
};

void TestEndToEnd::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("gnuplot")).isEmpty())
        QSKIP("gnuplot is not installed");
    QVERIFY(m_root.isValid());
    const QDir root(m_root.path());
    QVERIFY(root.mkdir(QStringLiteral("ExecutingFiles")));
    const QString exe = root.filePath(QStringLiteral("ExecutingFiles"));
    QVERIFY(copyExecutable(QStringLiteral(KALVEX_SOLVER), exe + QStringLiteral("/euler.exe")));
    QVERIFY(copyExecutable(sourceDir + QStringLiteral("/tools/wgnuplot.exe"), exe + QStringLiteral("/wgnuplot.exe")));
    QVERIFY(QFile::copy(sourceDir + QStringLiteral("/data/reference_valve_pocket.msh"),
                        root.filePath(QStringLiteral("reference_valve_pocket.msh"))));

    m_startDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(exe));
    m_window.reset(createMainWindow());
    m_window->show();
}

void TestEndToEnd::cleanupTestCase()
{
    m_window.reset();
    if (!m_startDir.isEmpty())
        QDir::setCurrent(m_startDir);
}

void TestEndToEnd::chooseFile(const QString &path)
{
    QTimer::singleShot(0, this, [path] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
    });
}

void TestEndToEnd::refuseMessageBoxes()
{
    auto *watch = new QTimer(m_window.get());
    connect(watch, &QTimer::timeout, this, [this] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            m_unexpectedDialogs << modal->windowTitle();
            modal->close();
        }
    });
    watch->start(50);
}

void TestEndToEnd::calculateAndPlot()
{
    auto field = [this](const char *name) { return m_window->findChild<QLineEdit *>(QLatin1String(name)); };
    auto button = [this](const char *name) { return m_window->findChild<QPushButton *>(QLatin1String(name)); };

    chooseFile(sourceDir + QStringLiteral("/data/samples/Case680mm_valves.txt"));
    m_window->findChild<QAction *>(QStringLiteral("actionGetEVData"))->trigger();
    chooseFile(sourceDir + QStringLiteral("/data/samples/Case680mm_cylinder.txt"));
    m_window->findChild<QAction *>(QStringLiteral("actionOpen"))->trigger();
    QCOMPARE(field("lineEdit_CA")->text(), QStringLiteral("Case680mm"));
    QCOMPARE(field("lineEdit_PA_1")->text(), QStringLiteral("0.680"));
    QCOMPARE(field("lineEdit_PA_18")->text(), QStringLiteral("2"));

    // A short run keeps the test quick; everything else is the sample case.
    field("lineEdit_PA_16")->setText(QString::number(steps));
    refuseMessageBoxes();

    const QDir caseDir(m_root.filePath(QStringLiteral("Case680mm")));
    button("startEuler")->click();
    QVERIFY2(m_unexpectedDialogs.isEmpty(), qPrintable(m_unexpectedDialogs.join(", ")));
    QCOMPARE(QDir::currentPath(), m_root.filePath(QStringLiteral("ExecutingFiles")));
    QVERIFY(QFile::exists(m_root.filePath(QStringLiteral("dP=680mm.msh"))));

    // The solver runs detached; its log says when it is done.
    auto solverLog = [&caseDir] {
        QFile log(caseDir.filePath(QStringLiteral("euler.log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(solverLog().contains(QStringLiteral("Finished"))
                                 || solverLog().contains(QStringLiteral("ERROR")), 120000);
    QVERIFY2(!solverLog().contains(QStringLiteral("ERROR")), qPrintable(solverLog()));
    QVERIFY(caseDir.exists(QStringLiteral("Output.txt")));

    button("plothps")->click();
    QVERIFY2(m_unexpectedDialogs.isEmpty(), qPrintable(m_unexpectedDialogs.join(", ")));
    for (int k = 1; k <= steps; ++k) {
        for (const QString surface : {QStringLiteral("head"), QStringLiteral("piston"), QStringLiteral("side")}) {
            for (const QString map : {QStringLiteral("density"), QStringLiteral("pressure"), QStringLiteral("velocity")}) {
                const QString png = caseDir.filePath(QStringLiteral("%1/%1%2_%3.png")
                                                         .arg(surface, ResultFile::stepNumber(k), map));
                QCOMPARE(imageSize(png), QSize(1024, 768));
            }
        }
    }

    auto *plot = m_window->findChild<QLabel *>(QStringLiteral("label_gpplot"));
    for (const char *quantity : {"radioButton", "radioButton_2", "radioButton_3", "radioButton_4"}) {
        m_window->findChild<QRadioButton *>(QLatin1String(quantity))->setChecked(true);
        plot->clear();
        button("plotresults")->click();
        QVERIFY2(m_unexpectedDialogs.isEmpty(), qPrintable(m_unexpectedDialogs.join(", ")));
        QCOMPARE(plot->pixmap().size(), QSize(600, 350));
    }

    plot->clear();
    button("plotalpha")->click();
    QVERIFY2(m_unexpectedDialogs.isEmpty(), qPrintable(m_unexpectedDialogs.join(", ")));
    QCOMPARE(plot->pixmap().size(), QSize(600, 350));
    QVERIFY(caseDir.exists(QStringLiteral("alpha_on_HPS.txt")));
    QCOMPARE(QDir::currentPath(), m_root.filePath(QStringLiteral("ExecutingFiles")));
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
