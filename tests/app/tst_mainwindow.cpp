// The main window as the user first sees it: the form's objects, defaults,
// focus order, actions, images and the way out.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

#include <memory>

#include "dialoganswerer.h"
#include "kalvex.h"
#include "testworkspace.h"

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_window.reset(createMainWindow()); }
    void cleanup() { m_window.reset(); }

    void windowFrame();
    void formObjects_data();
    void formObjects();
    void everyLineEditIsListed();
    void focusOrder_data();
    void focusOrder();
    void actions_data();
    void actions();
    void menuAndToolBarOrder();
    void imageBundle_data();
    void imageBundle();
    void logos();
    void radioButtonsStartOnDischargeMassFlow();
    void aboutDocument();
    void exitEndsEventLoopWithZero();
    void everyControlReachesItsSlotOnce_data();
    void everyControlReachesItsSlotOnce();

private:
    template<typename T = QWidget>
    T *child(const QString &name) const { return m_window->findChild<T *>(name); }

    std::unique_ptr<Kalvex> m_window;
};

void TestMainWindow::windowFrame()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Kalvex V2.1"));
    QCOMPARE(m_window->objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(m_window->size(), QSize(1018, 636));
    QCOMPARE(m_window->metaObject()->className(), "Kalvex");

    auto *tabs = child<QTabWidget>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->tabPosition(), QTabWidget::North);
    QCOMPARE(tabs->tabShape(), QTabWidget::Rounded);
    QCOMPARE(tabs->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(tabs->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);

    const QStringList pages{"Valves", "Cylinder", "tab_2", "tab_3", "tab"};
    const QStringList titles{"Valve Data", "Cylinder Data", "Calculation", "Postprocessing", "About"};
    QCOMPARE(tabs->count(), pages.size());
    for (int i = 0; i < pages.size(); ++i) {
        QCOMPARE(tabs->widget(i)->objectName(), pages.at(i));
        QCOMPARE(tabs->tabText(i), titles.at(i));
    }
    QVERIFY(m_window->statusBar());
    QCOMPARE(child<QToolBar>(QStringLiteral("toolBar"))->windowTitle(), QStringLiteral("toolBar"));
}

// One row per object of the form: class, parent, geometry, font size and text.
void TestMainWindow::formObjects_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<QString>("text");

    QFile table(QFINDTESTDATA("data/form_objects.tsv"));
    QVERIFY(table.open(QIODevice::ReadOnly | QIODevice::Text));
    while (!table.atEnd()) {
        const QString line = QString::fromUtf8(table.readLine()).chopped(1);
        if (line.startsWith(QLatin1Char('#')) || line.isEmpty())
            continue;
        const QStringList f = line.split(QLatin1Char('\t'));
        QTest::newRow(qPrintable(f[0]))
            << f[1] << f[2] << QRect(f[3].toInt(), f[4].toInt(), f[5].toInt(), f[6].toInt())
            << f[7].toInt() << f.value(8);
    }
}

static QString displayedText(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *group = qobject_cast<QGroupBox *>(widget))
        return group->title();
    return {};
}

void TestMainWindow::formObjects()
{
    QFETCH(QString, className);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(int, pointSize);
    QFETCH(QString, text);

    QWidget *widget = child(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), geometry);
    if (pointSize > 0)
        QCOMPARE(widget->font().pointSize(), pointSize);
    QCOMPARE(displayedText(widget), text);
    QVERIFY(widget->isEnabled());
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        QVERIFY(!edit->isReadOnly());
        QVERIFY(!edit->validator());
        QCOMPARE(edit->inputMask(), QString());
    }
}

void TestMainWindow::everyLineEditIsListed()
{
    QFile table(QFINDTESTDATA("data/form_objects.tsv"));
    QVERIFY(table.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString listed = QString::fromUtf8(table.readAll());
    const auto edits = m_window->findChildren<QLineEdit *>();
    QCOMPARE(edits.size(), 32 + 19 + 2 + 3);
    for (QLineEdit *edit : edits)
        QVERIFY2(listed.contains(edit->objectName() + QLatin1Char('\t')), qPrintable(edit->objectName()));
}

// The form sets no tab order, so Tab follows the order of creation.
void TestMainWindow::focusOrder_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("order");

    QStringList valves{"lineEdit_PA_28"};
    for (QChar c : QStringLiteral("abcde"))
        valves << QStringLiteral("lineEdit_PA_29") + c;
    valves << "lineEdit_PA_17" << "lineEdit_PA_18";
    for (QChar c : QStringLiteral("abcde"))
        valves << QStringLiteral("lineEdit_PA_19") + c;
    for (int n : {20, 21, 22, 23, 24, 25, 26, 27, 38, 39, 40, 30, 31, 32, 33, 34, 35, 36, 37})
        valves << QStringLiteral("lineEdit_PA_%1").arg(n);
    QTest::newRow("Valve Data") << "Valves" << valves;

    QStringList cylinder{"lineEdit_PA_1", "lineEdit_PA_1b"};
    for (int n = 2; n <= 16; ++n)
        cylinder << QStringLiteral("lineEdit_PA_%1").arg(n);
    cylinder << "lineEdit_PA_19" << "lineEdit_PA_29";
    QTest::newRow("Cylinder Data") << "Cylinder" << cylinder;

    QTest::newRow("Calculation") << "tab_2" << QStringList{"startEuler", "lineEdit_CA_2", "lineEdit_CA"};
}

void TestMainWindow::focusOrder()
{
    QFETCH(QString, page);
    QFETCH(QStringList, order);

    QWidget *pageWidget = child(page);
    QWidget *first = child(order.first());
    QStringList visited;
    QWidget *w = first;
    do {
        if (pageWidget->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus))
            visited << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first);
    QCOMPARE(visited, order);
}

void TestMainWindow::actions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("icon");
    QTest::newRow("actionOpen") << "Read cylinder data" << "fileopen.png";
    QTest::newRow("actionSave") << "Save cylinder data" << "filesaveas.png";
    QTest::newRow("actionSaveEVData") << "Save Valve data" << "filesave.png";
    QTest::newRow("actionExit") << "Exit" << "exit.png";
    QTest::newRow("actionGetEVData") << "Read Valve data" << "project_open.png";
}

void TestMainWindow::actions()
{
    QFETCH(QString, text);
    QFETCH(QString, icon);
    auto *action = m_window->findChild<QAction *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QVERIFY(action->isEnabled());
    QVERIFY(!action->isCheckable());
    QVERIFY(action->shortcut().isEmpty());
    QCOMPARE(action->icon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32),
             QImage(QStringLiteral(":/images/images/") + icon).convertToFormat(QImage::Format_ARGB32));
}

static QStringList actionNames(const QList<QAction *> &actions)
{
    QStringList names;
    for (QAction *a : actions)
        names << a->objectName();
    return names;
}

void TestMainWindow::menuAndToolBarOrder()
{
    const QStringList order{"actionOpen", "actionSave", "actionGetEVData", "actionSaveEVData", "actionExit"};
    auto *menu = child<QMenu>(QStringLiteral("menuDatei"));
    QCOMPARE(menu->title(), QStringLiteral("File"));
    QCOMPARE(menu->font().family(), QStringLiteral("Abyssinica SIL"));
    QCOMPARE(menu->font().pointSize(), 10);
    QCOMPARE(actionNames(menu->actions()), order);
    QCOMPARE(actionNames(child<QToolBar>(QStringLiteral("toolBar"))->actions()), order);

    const auto barEntries = m_window->menuBar()->actions();
    QCOMPARE(barEntries.size(), 1);
    QCOMPARE(barEntries.first(), menu->menuAction());
    QCOMPARE(m_window->toolBarArea(child<QToolBar>(QStringLiteral("toolBar"))), Qt::TopToolBarArea);
}

void TestMainWindow::imageBundle_data()
{
    QTest::addColumn<QSize>("size");
    for (const char *icon : {"fileopen.png", "filesaveas.png", "filesave.png", "exit.png", "project_open.png",
                             "document-open.png", "document-open_0.png", "document-save.png",
                             "document-save-as.png", "document-new.png", "application-exit.png",
                             "process-stop.png", "media-playback-start.png"})
        QTest::newRow(icon) << QSize(32, 32);
    QTest::newRow("Logo_Orbel_zugeschnitten.png") << QSize(100, 37);
    QTest::newRow("HaldenLogo.png") << QSize(142, 41);
    QTest::newRow("logo.png") << QSize(150, 68);
}

void TestMainWindow::imageBundle()
{
    QFETCH(QSize, size);
    const QImage image(QStringLiteral(":/images/images/") + QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(image.size(), size);
}

void TestMainWindow::logos()
{
    QCOMPARE(child<QLabel>(QStringLiteral("Logohalter"))->pixmap().size(), QSize(100, 37));
    QCOMPARE(child<QLabel>(QStringLiteral("Logohalter_2"))->pixmap().size(), QSize(142, 41));
}

void TestMainWindow::radioButtonsStartOnDischargeMassFlow()
{
    const auto buttons = child<QGroupBox>(QStringLiteral("groupBox_3"))->findChildren<QRadioButton *>();
    QCOMPARE(buttons.size(), 4);
    QVERIFY(child<QRadioButton>(QStringLiteral("radioButton"))->isChecked());

    child<QRadioButton>(QStringLiteral("radioButton_3"))->click();
    int checked = 0;
    for (QRadioButton *b : buttons)
        checked += b->isChecked();
    QCOMPARE(checked, 1);
    QVERIFY(!child<QRadioButton>(QStringLiteral("radioButton"))->isChecked());
}

void TestMainWindow::aboutDocument()
{
    auto *about = child<QTextEdit>(QStringLiteral("textEdit"));
    QVERIFY(about->isReadOnly());
    QVERIFY(about->textInteractionFlags() & Qt::TextSelectableByMouse);
    QCOMPARE(about->styleSheet(), QStringLiteral("background-color: rgb(224, 221, 255);"));
    QCOMPARE(about->frameShadow(), QFrame::Plain);

    const QTextDocument *doc = about->document();
    // The body font (Sans, 10 pt) reaches every paragraph.
    QVERIFY(about->toHtml().contains(QStringLiteral("font-family:'Sans'; font-size:10pt;")));
    QStringList lines;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        QVERIFY(b.blockFormat().alignment() & Qt::AlignHCenter);
        lines << b.text();
    }
    QCOMPARE(lines.size(), 16);
    QCOMPARE(lines.at(1), QStringLiteral("Kalvex"));
    QCOMPARE(lines.at(2), QStringLiteral("Version 2.1"));
    for (int empty : {0, 3, 5, 8, 12})
        QVERIFY2(lines.at(empty).isEmpty(), qPrintable(QString::number(empty)));
    QVERIFY(lines.at(10).contains(QStringLiteral("example.org")));
}

void TestMainWindow::exitEndsEventLoopWithZero()
{
    QTimer::singleShot(0, child<QToolBar>(QStringLiteral("toolBar"))->actions().last(), &QAction::trigger);
    QCOMPARE(QCoreApplication::exec(), 0);
}

// Each slot shows exactly one dialog when started in a workspace root (not in
// its ExecutingFiles) with an empty form, so the dialogs tell which slot ran
// and how often.
void TestMainWindow::everyControlReachesItsSlotOnce_data()
{
    QTest::addColumn<QString>("dialogTitle");
    QTest::newRow("actionOpen") << "Open Cylinder Data File";
    QTest::newRow("actionSave") << "Save Cylinder Data File";
    QTest::newRow("actionGetEVData") << "Open Valve Data File";
    QTest::newRow("actionSaveEVData") << "Save Valve Data File";
    QTest::newRow("startEuler") << "Calculation not started";
    QTest::newRow("plotresults") << "Plot valve results";
    QTest::newRow("plothps") << "Field maps";
    QTest::newRow("plotalpha") << "Plot heat transfer coefficient";
}

void TestMainWindow::everyControlReachesItsSlotOnce()
{
    QFETCH(QString, dialogTitle);
    TestWorkspace elsewhere;
    QVERIFY(elsewhere.isValid());
    QVERIFY(QDir::setCurrent(elsewhere.root()));

    DialogAnswerer dialogs;
    dialogs.rejectNext();

    const QString sender = QString::fromLatin1(QTest::currentDataTag());
    if (auto *action = m_window->findChild<QAction *>(sender))
        action->trigger();
    else
        child<QAbstractButton>(sender)->click();
    QCOMPARE(dialogs.titles(), QStringList{dialogTitle});
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
