#include "kalvex.h"
#include "sampledata.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "missing";
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray fixture(bool valveSet)
{
    return SampleData::withPlatformLineEnds(
        fileBytes(QFINDTESTDATA(valveSet ? "data/valves.txt" : "data/cylinder.txt")));
}

} // namespace

// Drives the window's parameter slots through real file dialogs and message
// boxes, answered in order by a zero-time timer while they are shown; any
// other dialog is rejected and fails the test.
class TestKalvexParams : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void saveAndReadRestoreEveryField_data();
    void saveAndReadRestoreEveryField();
    void solverInputsMatchFixtures_data();
    void solverInputsMatchFixtures();
    void cancelledDialogChangesNothing_data();
    void cancelledDialogChangesNothing();
    void unreadableFileWarnsAndKeepsForm_data();
    void unreadableFileWarnsAndKeepsForm();
    void setThatWouldNotReadBackIsRefused_data();
    void setThatWouldNotReadBackIsRefused();
    void unwritableTargetWarns_data();
    void unwritableTargetWarns();

private:
    using Answer = std::function<bool(QWidget *)>;

    QString field(const QString &name) const;
    void setField(const QString &name, const QString &text);
    void typeSample(bool valveSet);
    QHash<QString, QString> formTexts(bool valveSet) const;
    void answerFileDialog(const QString &path, bool acceptUnchecked = false);
    void answerMessageBox();
    void runSlot(bool valveSet, bool save);

    Kalvex *m_window = nullptr;
    QTemporaryDir *m_dir = nullptr;
    QString m_previousDir;
    QTimer m_answerTimer;
    QList<Answer> m_answers;
    QStringList m_dialogTitles;
    QStringList m_dialogFilters;
    QStringList m_boxTitles;
    QStringList m_boxTexts;
    QStringList m_unexpected;
};

void TestKalvexParams::init()
{
    m_window = new Kalvex;
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    // The solver inputs are written into the current directory.
    m_previousDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_answers.clear();
    m_dialogTitles.clear();
    m_dialogFilters.clear();
    m_boxTitles.clear();
    m_boxTexts.clear();
    m_unexpected.clear();
    m_answerTimer.setInterval(0);
    connect(&m_answerTimer, &QTimer::timeout, this, [this] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!modal)
            return;
        if (!m_answers.isEmpty() && m_answers.first()(modal)) {
            m_answers.removeFirst();
        } else {
            m_unexpected << modal->windowTitle();
            modal->reject();
        }
    });
    m_answerTimer.start();
}

void TestKalvexParams::cleanup()
{
    m_answerTimer.stop();
    m_answerTimer.disconnect();
    QVERIFY2(m_answers.isEmpty(), "an expected dialog was not shown");
    QVERIFY2(m_unexpected.isEmpty(), qPrintable("unexpected dialog: " + m_unexpected.join(", ")));
    delete m_window;
    QDir::setCurrent(m_previousDir);
    delete m_dir;
}

QString TestKalvexParams::field(const QString &name) const
{
    const auto *edit = m_window->findChild<QLineEdit *>(name);
    return edit ? edit->text() : QStringLiteral("no such field");
}

void TestKalvexParams::setField(const QString &name, const QString &text)
{
    auto *edit = m_window->findChild<QLineEdit *>(name);
    QVERIFY2(edit, qPrintable(name));
    edit->setText(text);
}

void TestKalvexParams::typeSample(bool valveSet)
{
    for (const SampleData::Field &sample : SampleData::fields(valveSet))
        setField(sample.name, QString::fromUtf8(sample.typed));
}

QHash<QString, QString> TestKalvexParams::formTexts(bool valveSet) const
{
    QHash<QString, QString> texts;
    for (const SampleData::Field &sample : SampleData::fields(valveSet))
        texts.insert(sample.name, field(sample.name));
    return texts;
}

// Paths lie in the test's folder. An empty path cancels the dialog. acceptUnchecked closes it as accepted
// without the dialog's own checks, for names it would not let through.
void TestKalvexParams::answerFileDialog(const QString &path, bool acceptUnchecked)
{
    m_answers << [this, path, acceptUnchecked](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog)
            return false;
        m_dialogTitles << dialog->windowTitle();
        m_dialogFilters << dialog->nameFilters().join(u';');
        if (path.isEmpty()) {
            dialog->reject();
        } else {
            dialog->setDirectory(m_dir->path());
            dialog->selectFile(QDir(m_dir->path()).relativeFilePath(path));
            QDialog *plain = dialog;
            if (acceptUnchecked)
                plain->done(QDialog::Accepted);
            else
                plain->accept();
        }
        return true;
    };
}

void TestKalvexParams::answerMessageBox()
{
    m_answers << [this](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box)
            return false;
        m_boxTitles << box->windowTitle();
        m_boxTexts << box->text();
        box->button(QMessageBox::Ok)->click();
        return true;
    };
}

void TestKalvexParams::runSlot(bool valveSet, bool save)
{
    if (valveSet)
        save ? m_window->saveValveData() : m_window->getValveData();
    else
        save ? m_window->saveCylData() : m_window->openFile();
}

void TestKalvexParams::saveAndReadRestoreEveryField_data()
{
    QTest::addColumn<bool>("valveSet");
    QTest::addColumn<QString>("saveTitle");
    QTest::addColumn<QString>("openTitle");
    QTest::addColumn<int>("roundedLine");
    QTest::addColumn<QByteArray>("roundedValue");
    QTest::newRow("cylinder") << false << "Save Cylinder Data File" << "Open Cylinder Data File" << 44
                              << QByteArray("28.96500");
    QTest::newRow("valves") << true << "Save Valve Data File" << "Open Valve Data File" << 16
                            << QByteArray("123456.80000");
}

// Save, wipe, read: every field comes back as displayed by the reader, and
// saving again writes the rounded display value.
void TestKalvexParams::saveAndReadRestoreEveryField()
{
    QFETCH(bool, valveSet);
    QFETCH(QString, saveTitle);
    QFETCH(QString, openTitle);
    QFETCH(int, roundedLine);
    QFETCH(QByteArray, roundedValue);
    const QString path = m_dir->filePath("set.txt");
    const QString again = m_dir->filePath("again.txt");

    typeSample(valveSet);
    answerFileDialog(path);
    runSlot(valveSet, true);
    QCOMPARE(fileBytes(path), fixture(valveSet));

    for (const SampleData::Field &sample : SampleData::fields(valveSet))
        setField(sample.name, QStringLiteral("wiped"));
    answerFileDialog(path);
    runSlot(valveSet, false);
    for (const SampleData::Field &sample : SampleData::fields(valveSet))
        QCOMPARE(field(sample.name), QString::fromUtf8(sample.shown));

    answerFileDialog(again);
    runSlot(valveSet, true);
    const QByteArrayList lines = fileBytes(again).split('\n');
    QCOMPARE(lines.value(roundedLine - 1).trimmed(), roundedValue);

    QCOMPARE(m_dialogTitles, QStringList({saveTitle, openTitle, saveTitle}));
    QCOMPARE(m_dialogFilters.value(1), QString("All files (*.*)"));
    QVERIFY(m_boxTexts.isEmpty());
}

void TestKalvexParams::solverInputsMatchFixtures_data()
{
    QTest::addColumn<bool>("valveSet");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("cylinder") << false << "InputCylinder.txt";
    QTest::newRow("valves") << true << "InputValves.txt";
}

// The solver inputs land in the current directory and replace an older file.
void TestKalvexParams::solverInputsMatchFixtures()
{
    QFETCH(bool, valveSet);
    QFETCH(QString, fileName);
    writeBytes(fileName, QByteArray(10000, 'x'));
    typeSample(valveSet);
    valveSet ? m_window->startSaveValveData() : m_window->startSaveCylData();
    QCOMPARE(fileBytes(m_dir->filePath(fileName)), fixture(valveSet));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{fileName});
}

void TestKalvexParams::cancelledDialogChangesNothing_data()
{
    QTest::addColumn<bool>("valveSet");
    QTest::addColumn<bool>("save");
    QTest::newRow("read cylinder") << false << false;
    QTest::newRow("save cylinder") << false << true;
    QTest::newRow("read valves") << true << false;
    QTest::newRow("save valves") << true << true;
}

void TestKalvexParams::cancelledDialogChangesNothing()
{
    QFETCH(bool, valveSet);
    QFETCH(bool, save);
    typeSample(valveSet);
    const QHash<QString, QString> before = formTexts(valveSet);
    answerFileDialog(QString());
    runSlot(valveSet, save);
    QCOMPARE(formTexts(valveSet), before);
    QVERIFY(QDir(m_dir->path()).isEmpty());
    QVERIFY(m_boxTexts.isEmpty());
}

void TestKalvexParams::unreadableFileWarnsAndKeepsForm_data()
{
    QTest::addColumn<bool>("valveSet");
    QTest::addColumn<bool>("directory");
    QTest::newRow("cylinder, missing file") << false << false;
    QTest::newRow("valves, missing file") << true << false;
    QTest::newRow("cylinder, directory") << false << true;
}

void TestKalvexParams::unreadableFileWarnsAndKeepsForm()
{
    QFETCH(bool, valveSet);
    QFETCH(bool, directory);
    QString path = m_dir->filePath("missing.txt");
    QString reason = "No such file or directory";
    if (directory) {
        path = m_dir->filePath("folder");
        QVERIFY(QDir().mkdir(path));
        reason = "directory";
    }
    typeSample(valveSet);
    const QHash<QString, QString> before = formTexts(valveSet);
    answerFileDialog(path, true);
    answerMessageBox();
    runSlot(valveSet, false);
    QCOMPARE(formTexts(valveSet), before);
    QCOMPARE(m_boxTitles, QStringList{QString::fromUtf8("Fehler beim Öffnen")});
    QVERIFY2(m_boxTexts.value(0).contains(path), qPrintable(m_boxTexts.value(0)));
    QVERIFY2(m_boxTexts.value(0).contains(reason), qPrintable(m_boxTexts.value(0)));
}

void TestKalvexParams::setThatWouldNotReadBackIsRefused_data()
{
    QTest::addColumn<bool>("valveSet");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("reason");
    QTest::newRow("case name empty") << false << "lineEdit_CA" << "" << "Case name" << "is empty";
    QTest::newRow("case name blank") << false << "lineEdit_CA" << "Case 1" << "Case name" << "holds a blank";
    QTest::newRow("diameter hash") << true << "lineEdit_PA_17" << "#d" << "Valve diameter d_V (m)"
                                   << "begins with \"#\"";
}

// Refused through both entry points; the earlier file stays as it was.
void TestKalvexParams::setThatWouldNotReadBackIsRefused()
{
    QFETCH(bool, valveSet);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(QString, reason);
    const QString path = m_dir->filePath("earlier.txt");
    writeBytes(path, "earlier\n");
    typeSample(valveSet);
    setField(field, text);

    answerFileDialog(path, true);
    answerMessageBox();
    runSlot(valveSet, true);
    QCOMPARE(fileBytes(path), QByteArray("earlier\n"));

    answerMessageBox();
    valveSet ? m_window->startSaveValveData() : m_window->startSaveCylData();
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"earlier.txt"});

    QCOMPARE(m_boxTexts.size(), 2);
    for (const QString &boxText : std::as_const(m_boxTexts)) {
        QVERIFY2(boxText.contains(caption), qPrintable(boxText));
        QVERIFY2(boxText.contains(reason), qPrintable(boxText));
    }
}

void TestKalvexParams::unwritableTargetWarns_data()
{
    QTest::addColumn<bool>("valveSet");
    QTest::addColumn<bool>("throughDialog");
    QTest::newRow("save cylinder, missing folder") << false << true;
    QTest::newRow("save valves, missing folder") << true << true;
    QTest::newRow("solver cylinder input is a folder") << false << false;
    QTest::newRow("solver valve input is a folder") << true << false;
}

void TestKalvexParams::unwritableTargetWarns()
{
    QFETCH(bool, valveSet);
    QFETCH(bool, throughDialog);
    typeSample(valveSet);
    QString path = m_dir->filePath("no such folder/set.txt");
    if (throughDialog) {
        answerFileDialog(path, true);
        answerMessageBox();
        runSlot(valveSet, true);
        QVERIFY(!QFile::exists(path));
    } else {
        path = valveSet ? "InputValves.txt" : "InputCylinder.txt";
        QVERIFY(QDir().mkdir(path));
        answerMessageBox();
        valveSet ? m_window->startSaveValveData() : m_window->startSaveCylData();
        QVERIFY(QFileInfo(path).isDir());
    }
    QCOMPARE(m_boxTitles, QStringList{QString::fromUtf8("Fehler beim Öffnen")});
    QVERIFY2(m_boxTexts.value(0).startsWith("Datei nicht in Datei schreiben " + path + ":\n"),
             qPrintable(m_boxTexts.value(0) + " / " + path));
}

QTEST_MAIN(TestKalvexParams)
#include "tst_kalvexparams.moc"
