#include "dialoganswerer.h"
#include "kalvex.h"
#include "parameternames.h"
#include "sampledata.h"
#include "testworkspace.h"

#include <QLineEdit>
#include <QtTest>

#include <memory>

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
// boxes, answered in order while they are shown; any other dialog is rejected
// and fails the test. The test's folder is the workspace's ExecutingFiles, where
// the solver inputs are written.
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
    void readValuesShowTheirBeginning_data();
    void readValuesShowTheirBeginning();
    void toolTipsFollowTheText();

private:
    QString field(Parameter key) const { return m_window->parameterField(key)->text(); }
    void setField(Parameter key, const QString &text) { m_window->parameterField(key)->setText(text); }
    void typeSample(bool valveSet);
    FieldTexts formTexts(bool valveSet) const;
    QString inFolder(const QString &name) const { return QDir(folder()).filePath(name); }
    QString folder() const { return m_ws->executingDir(); }
    void runSlot(bool valveSet, bool save);

    Kalvex *m_window = nullptr;
    std::unique_ptr<TestWorkspace> m_ws;
    std::unique_ptr<DialogAnswerer> m_dialogs;
};

void TestKalvexParams::init()
{
    m_window = new Kalvex;
    m_ws = std::make_unique<TestWorkspace>();
    QVERIFY(m_ws->isValid());
    // The solver inputs are written into the current directory.
    QVERIFY(QDir::setCurrent(folder()));
    m_dialogs = std::make_unique<DialogAnswerer>(DialogAnswerer::Strict);
}

void TestKalvexParams::cleanup()
{
    const int notShown = m_dialogs->pendingAnswers();
    m_dialogs.reset();
    delete m_window;
    m_ws.reset();
    QVERIFY2(notShown == 0, "an expected dialog was not shown");
}

void TestKalvexParams::typeSample(bool valveSet)
{
    for (const SampleData::Field &sample : SampleData::fields(valveSet))
        setField(sample.key, QString::fromUtf8(sample.typed));
}

FieldTexts TestKalvexParams::formTexts(bool valveSet) const
{
    FieldTexts texts;
    for (const SampleData::Field &sample : SampleData::fields(valveSet))
        texts.insert(sample.key, field(sample.key));
    return texts;
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
    const QString path = inFolder("set.txt");
    const QString again = inFolder("again.txt");

    typeSample(valveSet);
    m_dialogs->chooseFile(path);
    runSlot(valveSet, true);
    QCOMPARE(fileBytes(path), fixture(valveSet));

    for (const SampleData::Field &sample : SampleData::fields(valveSet))
        setField(sample.key, QStringLiteral("wiped"));
    m_dialogs->chooseFile(path);
    runSlot(valveSet, false);
    for (const SampleData::Field &sample : SampleData::fields(valveSet))
        QCOMPARE(field(sample.key), QString::fromUtf8(sample.shown));

    m_dialogs->chooseFile(again);
    runSlot(valveSet, true);
    const QByteArrayList lines = fileBytes(again).split('\n');
    QCOMPARE(lines.value(roundedLine - 1).trimmed(), roundedValue);

    QCOMPARE(m_dialogs->titles(), QStringList({saveTitle, openTitle, saveTitle}));
    QCOMPARE(m_dialogs->fileFilters().value(1), QString("All files (*.*)"));
    QVERIFY(m_dialogs->messages().isEmpty());
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
    QCOMPARE(fileBytes(inFolder(fileName)), fixture(valveSet));
    QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList{fileName});
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
    const FieldTexts before = formTexts(valveSet);
    m_dialogs->chooseFile(QString());
    runSlot(valveSet, save);
    QCOMPARE(formTexts(valveSet), before);
    QVERIFY(QDir(folder()).isEmpty());
    QVERIFY(m_dialogs->messages().isEmpty());
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
    QString path = inFolder("missing.txt");
    QString reason = "No such file or directory";
    if (directory) {
        path = inFolder("folder");
        QVERIFY(QDir().mkdir(path));
        reason = "directory";
    }
    typeSample(valveSet);
    const FieldTexts before = formTexts(valveSet);
    m_dialogs->chooseFileUnchecked(path);
    m_dialogs->acceptMessageBox();
    runSlot(valveSet, false);
    QCOMPARE(formTexts(valveSet), before);
    // The file dialog, then the one box.
    QCOMPARE(m_dialogs->titles().mid(1), QStringList{QString::fromUtf8("Fehler beim Öffnen")});
    QVERIFY2(m_dialogs->messages().value(0).contains(path), qPrintable(m_dialogs->messages().value(0)));
    QVERIFY2(m_dialogs->messages().value(0).contains(reason), qPrintable(m_dialogs->messages().value(0)));
}

void TestKalvexParams::setThatWouldNotReadBackIsRefused_data()
{
    QTest::addColumn<bool>("valveSet");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("reason");
    QTest::newRow("case name empty") << false << "CaseName" << "" << "Case name" << "is empty";
    QTest::newRow("case name blank") << false << "CaseName" << "Case 1" << "Case name" << "holds a blank";
    QTest::newRow("diameter hash") << true << "ValveDiameter" << "#d" << "Valve diameter d_V (m)"
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
    const QString path = inFolder("earlier.txt");
    writeBytes(path, "earlier\n");
    typeSample(valveSet);
    bool known = false;
    setField(parameterNamed(field, &known), text);
    QVERIFY2(known, qPrintable(field));

    m_dialogs->chooseFileUnchecked(path);
    m_dialogs->acceptMessageBox();
    runSlot(valveSet, true);
    QCOMPARE(fileBytes(path), QByteArray("earlier\n"));

    m_dialogs->acceptMessageBox();
    valveSet ? m_window->startSaveValveData() : m_window->startSaveCylData();
    QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList{"earlier.txt"});

    QCOMPARE(m_dialogs->messages().size(), 2);
    for (const QString &boxText : m_dialogs->messages()) {
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
    QString path = inFolder("no such folder/set.txt");
    if (throughDialog) {
        m_dialogs->chooseFileUnchecked(path);
        m_dialogs->acceptMessageBox();
        runSlot(valveSet, true);
        QVERIFY(!QFile::exists(path));
    } else {
        path = valveSet ? "InputValves.txt" : "InputCylinder.txt";
        QVERIFY(QDir().mkdir(path));
        m_dialogs->acceptMessageBox();
        valveSet ? m_window->startSaveValveData() : m_window->startSaveCylData();
        QVERIFY(QFileInfo(path).isDir());
    }
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(m_dialogs->titles().constLast(), QString::fromUtf8("Fehler beim Öffnen"));
    QVERIFY2(m_dialogs->messages().value(0).startsWith("Datei nicht in Datei schreiben " + path + ":\n"),
             qPrintable(m_dialogs->messages().value(0) + " / " + path));
}

void TestKalvexParams::readValuesShowTheirBeginning_data()
{
    QTest::addColumn<bool>("valveSet");
    QTest::addColumn<int>("wideField"); // a field the value is wider than
    QTest::newRow("cylinder") << false << int(Parameter::Viscosity);
    QTest::newRow("valves") << true << int(Parameter::DischargeBeta);
}

// Read from a file, every field shows the beginning of its value and holds
// the whole of it as its tool tip; the fields keep their size.
void TestKalvexParams::readValuesShowTheirBeginning()
{
    QFETCH(bool, valveSet);
    QFETCH(int, wideField);
    const QString path = inFolder("set.txt");
    writeBytes(path, fileBytes(QFINDTESTDATA(valveSet ? "data/valves.txt" : "data/cylinder.txt")));
    m_dialogs->chooseFile(path);
    runSlot(valveSet, false);

    const QLineEdit *wide = m_window->parameterField(Parameter(wideField));
    QVERIFY2(wide->fontMetrics().horizontalAdvance(wide->text()) > wide->contentsRect().width(),
             qPrintable(wide->text()));
    QCOMPARE(wide->size(), QSize(65, 20));
    for (const SampleData::Field &sample : SampleData::fields(valveSet)) {
        const QLineEdit *edit = m_window->parameterField(sample.key);
        QCOMPARE(edit->text(), QString::fromUtf8(sample.shown));
        QCOMPARE(edit->cursorPosition(), 0);
        QCOMPARE(edit->toolTip(), edit->text());
    }
}

void TestKalvexParams::toolTipsFollowTheText()
{
    QCOMPARE(m_window->parameterField(Parameter::PocketRadius)->toolTip(), QStringLiteral("100")); // the default
    QCOMPARE(m_window->parameterField(Parameter::PistonDiameter)->toolTip(), QString());
    QLineEdit *diameter = m_window->parameterField(Parameter::PistonDiameter);
    diameter->setFocus();
    QTest::keyClicks(diameter, QStringLiteral("0.680000001"));
    QCOMPARE(diameter->toolTip(), QStringLiteral("0.680000001"));
}

QTEST_MAIN(TestKalvexParams)
#include "tst_kalvexparams.moc"
