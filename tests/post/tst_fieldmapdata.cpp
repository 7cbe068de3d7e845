// Reading result files: grid copies, extents, colour ranges, arrow scale and
// the directories a field-map run moves through.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <cmath>

#include "post/gnuplotjob.h"
#include "post/gridcopy.h"
#include "post/resultfile.h"
#include "text/textfields.h"
#include "calc/currentdirguard.h"
#include "post/surfacedirs.h"
#include "testworkspace.h"

using namespace FieldMaps;

namespace {

QStringList readLines(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {QStringLiteral("<cannot open %1>").arg(fileName)};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Copies a fixture through copyGrid; returns the grid copy's lines.
QStringList gridCopyOf(const QString &fixture, const ResultLayout &layout, int *copied = nullptr,
                       const LineVisitor &onLine = {})
{
    QFile file(fixture);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    int lines = 0;
    if (!copyGrid(file, out, layout, &lines, onLine))
        return {QStringLiteral("<copy failed>")};
    if (copied)
        *copied = lines;
    QStringList result = QString::fromUtf8(out.data()).split(QLatin1Char('\n'));
    result.removeLast();   // after the last line end
    return result;
}

} // namespace

class TestFieldMapData : public QObject
{
    Q_OBJECT

private slots:
    void resultFields_data();
    void resultFields();
    void resultNumbers_data();
    void resultNumbers();

    void gridCopyBreaksRows_data();
    void gridCopyBreaksRows();
    void gridCopySkipsNonDataLines();
    void copyResultFileReportsMissingFiles();
    void rewritesReplaceOldContent();

    void planarExtents();
    void sideExtentsAndColourRanges();

    void arrowScale_data();
    void arrowScale();
    void arrowScaleNeverDividesByZero_data();
    void arrowScaleNeverDividesByZero();
    void sizeRatio();

    void stepCountAndNumbers_data();
    void stepCountAndNumbers();

    void locatesDirectories_data();
    void locatesDirectories();
    void restorerReturnsToExecutingFiles();
    void guardChecksEveryMove();
};

void TestFieldMapData::resultFields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("blanks and tabs") << "  1\t 2   3 " << QStringList{"1", "2", "3"};
    QTest::newRow("equals signs") << "p=1.5e5 rho = 1.2" << QStringList{"p", "1.5e5", "rho", "1.2"};
    QTest::newRow("carriage return") << "4 5\r" << QStringList{"4", "5"};
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("only separators") << " = \t" << QStringList();
}

// The byte path used for grid copies splits exactly like the text path.
void TestFieldMapData::resultFields()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QCOMPARE(TextFields::splitFields(line), fields);

    const QByteArray bytes = line.toLatin1();
    TextFields::FieldViews views;
    TextFields::splitFields(bytes, &views);
    QStringList fromViews;
    for (QByteArrayView view : views)
        fromViews << QString::fromLatin1(view);
    QCOMPARE(fromViews, fields);
}

void TestFieldMapData::resultNumbers_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("isInteger");

    QTest::newRow("solver form") << "-1.234560e+05" << true << -123456.0 << false;
    QTest::newRow("integer") << "42" << true << 42.0 << true;
    QTest::newRow("negative integer") << "-7" << true << -7.0 << true;
    QTest::newRow("leading plus") << "+1.5" << true << 1.5 << false;
    QTest::newRow("plus integer") << "+3" << true << 3.0 << true;
    QTest::newRow("point only after") << "1." << true << 1.0 << false;
    QTest::newRow("nan") << "nan" << true << qQNaN() << false;
    QTest::newRow("Infinity is no number") << "Infinity" << false << 0.0 << false;
    QTest::newRow("overflow") << "1e500" << false << 0.0 << false;
    QTest::newRow("hex") << "0x10" << false << 0.0 << false;
    QTest::newRow("comma") << "1,5" << false << 0.0 << false;
    QTest::newRow("word") << "rho" << false << 0.0 << false;
    QTest::newRow("trailing e") << "1e" << false << 0.0 << false;
    QTest::newRow("integer out of range") << "99999999999" << true << 99999999999.0 << false;
}

// Both paths convert like QString::toDouble and QString::toInt.
void TestFieldMapData::resultNumbers()
{
    QFETCH(QString, field);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    QFETCH(bool, isInteger);
    const QStringList fields{QStringLiteral("x"), field};
    const QByteArray bytes = field.toLatin1();
    const TextFields::FieldViews views{QByteArrayView("x"), QByteArrayView(bytes)};
    bool ok = !isNumber;
    const double fromText = TextFields::number(fields, 2, &ok);
    QCOMPARE(ok, isNumber);
    ok = !isNumber;
    const double fromBytes = TextFields::number(views, 2, &ok);
    QCOMPARE(ok, isNumber);
    if (qIsNaN(value)) {
        QVERIFY(qIsNaN(fromText) && qIsNaN(fromBytes));
    } else {
        QCOMPARE(fromText, value);
        QCOMPARE(fromBytes, value);
    }
    bool intOk = !isInteger;
    QCOMPARE(TextFields::integer(views, 2, &intOk), isInteger ? int(value) : 0);
    QCOMPARE(intOk, isInteger);
    QCOMPARE(TextFields::integer(fields, 2, &intOk), isInteger ? int(value) : 0);
    QCOMPARE(intOk, isInteger);
    QCOMPARE(TextFields::number(views, 3, &ok), 0.0);   // missing field
    QVERIFY(!ok);
}

void TestFieldMapData::gridCopyBreaksRows_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("side");
    QTest::addColumn<QList<int>>("emptyLinesAt");   // indices in the grid copy

    QTest::newRow("rows 1,1,1,2,2,2") << "data/head_rows.txt" << false << QList<int>{0, 4};
    QTest::newRow("first row 0") << "data/head_row0.txt" << false << QList<int>{2};
    QTest::newRow("side, row index in field 3") << "data/side_ranges.txt" << true << QList<int>{0, 3};
}

void TestFieldMapData::gridCopyBreaksRows()
{
    QFETCH(QString, fixture);
    QFETCH(bool, side);
    QFETCH(QList<int>, emptyLinesAt);
    const QString path = QFINDTESTDATA(fixture);
    const QStringList source = readLines(path);

    const QStringList copy = gridCopyOf(path, side ? sideLayout : planarLayout);

    QCOMPARE(copy.size(), source.size() + emptyLinesAt.size());
    QStringList withoutBreaks;
    for (int i = 0; i < copy.size(); ++i) {
        if (emptyLinesAt.contains(i))
            QCOMPARE(copy.at(i), QString());
        else
            withoutBreaks << copy.at(i);
    }
    QCOMPARE(withoutBreaks, source);   // every line unchanged
}

void TestFieldMapData::gridCopySkipsNonDataLines()
{
    int copied = 0;
    int visited = 0;
    const QStringList copy = gridCopyOf(QFINDTESTDATA("data/head_noise.txt"), planarLayout, &copied,
                                        [&visited](const Fields &) { ++visited; });
    QCOMPARE(copy, (QStringList{QString(), QStringLiteral("1 1 1 0.2 0.0 0.0 1.2 1e5 0.1 0.0"),
                                QStringLiteral("2 1 2 0.4 0.0 0.0 1.2 1e5 0.0 0.1")}));
    QCOMPARE(copied, 2);
    QCOMPARE(visited, 2);
}

void TestFieldMapData::copyResultFileReportsMissingFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString gridCopy = dir.filePath(QStringLiteral("head001_mod.txt"));

    int lines = -1;
    QString error;
    QVERIFY(!copyResultFile(dir.filePath(QStringLiteral("head001.txt")), gridCopy, planarLayout, &lines, &error));
    QVERIFY(error.contains(QStringLiteral("head001.txt")));
    QCOMPARE(lines, 0);
    QVERIFY(QFileInfo::exists(gridCopy));
    QCOMPARE(QFileInfo(gridCopy).size(), 0);

    QVERIFY(!copyResultFile(QFINDTESTDATA("data/head_rows.txt"), dir.filePath(QStringLiteral("no/such/dir/copy.txt")),
                            planarLayout, &lines, &error));
    QVERIFY(error.contains(QStringLiteral("copy.txt")));

    QVERIFY(copyResultFile(QFINDTESTDATA("data/head_rows.txt"), gridCopy, planarLayout, &lines, &error));
    QCOMPARE(lines, 6);
    QCOMPARE(readLines(gridCopy).size(), 8);
}

// Scripts and grid copies are replaced, not truncated: nothing of a longer
// old file may remain.
void TestFieldMapData::rewritesReplaceOldContent()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString script = dir.filePath(QStringLiteral("gp_d.txt"));
    QString error;
    QVERIFY(writeScriptFile(script, {"set pm3d map", "set size square", "set output"}, &error));
    QVERIFY(writeScriptFile(script, {"set output"}, &error));
    QCOMPARE(readLines(script), QStringList{"set output"});

    const QString gridCopy = dir.filePath(QStringLiteral("head001_mod.txt"));
    int lines = 0;
    QVERIFY(copyResultFile(QFINDTESTDATA("data/head_rows.txt"), gridCopy, planarLayout, &lines, &error));
    QCOMPARE(lines, 6);
    QVERIFY(copyResultFile(QFINDTESTDATA("data/head_row0.txt"), gridCopy, planarLayout, &lines, &error));
    QCOMPARE(lines, 4);
    QCOMPARE(readLines(gridCopy).size(), 5);
}

void TestFieldMapData::planarExtents()
{
    PlanarExtents extents;
    gridCopyOf(QFINDTESTDATA("data/head_rows.txt"), planarLayout, nullptr,
               [&extents](const Fields &fields) { extents.add(fields); });
    QCOMPARE(extents.xmin, -0.1);
    QCOMPARE(extents.xmax, 0.1);
    QCOMPARE(extents.umax, 3.0);
    QCOMPARE(extents.vmax, 4.0);
    QCOMPARE(formatArrowScale(FieldMaps::arrowScale(extents.umax, extents.vmax, extents.span())),
             QStringLiteral("4.00e-03"));

    // One point (x span 0) whose speed is subnormal once wrote "du(u)=(inf)*u".
    PlanarExtents still;
    gridCopyOf(QFINDTESTDATA("data/head_subnormal_speed.txt"), planarLayout, nullptr,
               [&still](const Fields &fields) { still.add(fields); });
    QCOMPARE(still.span(), 0.0);
    QCOMPARE(still.umax, 4.9e-324);
    QCOMPARE(formatArrowScale(FieldMaps::arrowScale(still.umax, still.vmax, still.span())),
             QStringLiteral("0.00e+00"));

    const PlanarExtents none;   // no file read: the start values
    QCOMPARE(none.xmin, 1.0);
    QCOMPARE(none.xmax, -1.0);
}

void TestFieldMapData::sideExtentsAndColourRanges()
{
    SideExtents extents;
    ColourRanges ranges;
    gridCopyOf(QFINDTESTDATA("data/side_ranges.txt"), sideLayout, nullptr,
               [&](const Fields &fields) {
                   extents.add(fields);
                   ranges.add(fields);
               });
    QCOMPARE(extents.xmax, 0.5);
    QCOMPARE(extents.zmax, 0.05);
    QCOMPARE(extents.umax, 3.0);
    QCOMPARE(extents.vmax, 4.0);
    QCOMPARE(ranges.density.min, 1.1);   // "abc" takes no part
    QCOMPARE(ranges.density.max, 1.3);
    QCOMPARE(ranges.pressure.min, 100000.0);
    QCOMPARE(ranges.pressure.max, 300000.0);

    const ColourRanges untouched;
    QCOMPARE(untouched.density.min, 1e10);
    QCOMPARE(untouched.density.max, 0.0);
}

void TestFieldMapData::arrowScale_data()
{
    QTest::addColumn<double>("umax");
    QTest::addColumn<double>("vmax");
    QTest::addColumn<double>("span");
    QTest::addColumn<QString>("written");

    QTest::newRow("head, s > dx") << 3.0 << 4.0 << 0.2 << "4.00e-03";
    QTest::newRow("head, s < dx") << 0.06 << 0.08 << 0.2 << "5.00e-02";
    QTest::newRow("side, s > xmax") << 3.0 << 4.0 << 0.5 << "1.00e-02";
    QTest::newRow("side, s < xmax") << 0.06 << 0.08 << 0.5 << "2.00e-02";
    QTest::newRow("s = dx") << 0.0 << 0.5 << 0.5 << "1.00e-01";
}

void TestFieldMapData::arrowScale()
{
    QFETCH(double, umax);
    QFETCH(double, vmax);
    QFETCH(double, span);
    QFETCH(QString, written);
    QCOMPARE(formatArrowScale(FieldMaps::arrowScale(umax, vmax, span)), written);
}

void TestFieldMapData::arrowScaleNeverDividesByZero_data()
{
    QTest::addColumn<double>("umax");
    QTest::addColumn<double>("vmax");
    QTest::addColumn<double>("span");

    QTest::newRow("all velocities zero") << 0.0 << 0.0 << 0.2;
    QTest::newRow("single point") << 1.0 << 0.0 << 0.0;
    QTest::newRow("single point at rest") << 0.0 << 0.0 << 0.0;
    QTest::newRow("no readable file") << 0.0 << 0.0 << -2.0;
    QTest::newRow("no readable side file") << 0.0 << 0.0 << -1.0;
    QTest::newRow("subnormal speed, single point") << 4.9e-324 << 0.0 << 0.0;
    QTest::newRow("subnormal speed, no side file") << 0.0 << 4.9e-324 << -1.0;
}

void TestFieldMapData::arrowScaleNeverDividesByZero()
{
    QFETCH(double, umax);
    QFETCH(double, vmax);
    QFETCH(double, span);
    const double scale = FieldMaps::arrowScale(umax, vmax, span);
    QVERIFY(std::isfinite(scale));
    QVERIFY(scale >= 0);
    QVERIFY(!formatArrowScale(scale).contains(QStringLiteral("nan"), Qt::CaseInsensitive));
}

void TestFieldMapData::sizeRatio()
{
    QCOMPARE(FieldMaps::sizeRatio(0.05, 0.5), 0.1);
    QCOMPARE(FieldMaps::sizeRatio(-1.0, -1.0), 0.0);   // no readable file
    QCOMPARE(FieldMaps::sizeRatio(0.2, 0.0), 0.0);
}

void TestFieldMapData::stepCountAndNumbers_data()
{
    QTest::addColumn<QString>("phiMax");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("lastNumber");

    QTest::newRow("359.9") << "359.9" << 359 << "359";
    QTest::newRow("2.1 (form default)") << "2.1" << 2 << "002";
    QTest::newRow("empty") << "" << 0 << "";
    QTest::newRow("not a number") << "abc" << 0 << "";
    QTest::newRow("1000") << "1000" << 1000 << "1000";
}

void TestFieldMapData::stepCountAndNumbers()
{
    QFETCH(QString, phiMax);
    QFETCH(int, steps);
    QFETCH(QString, lastNumber);
    QCOMPARE(ResultFile::stepCount(phiMax), steps);
    if (steps > 0)
        QCOMPARE(ResultFile::stepNumber(steps), lastNumber);
    QCOMPARE(ResultFile::stepNumber(7), QStringLiteral("007"));
}

void TestFieldMapData::locatesDirectories_data()
{
    QTest::addColumn<QStringList>("present");   // directories under the root
    QTest::addColumn<QString>("missing");       // relative to the root, empty when found

    const QStringList complete{"ExecutingFiles", "Case680mm/head"};
    QTest::newRow("complete") << complete << QString();
    QTest::newRow("no case directory") << QStringList{"ExecutingFiles"} << "Case680mm";
    QTest::newRow("no surface directory") << QStringList{"ExecutingFiles", "Case680mm"}
                                          << "Case680mm/head";
}

void TestFieldMapData::locatesDirectories()
{
    QFETCH(QStringList, present);
    QFETCH(QString, missing);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    for (const QString &dir : present)
        QVERIFY(QDir(root.path()).mkpath(dir));
    const QString start = root.filePath(QStringLiteral("ExecutingFiles"));

    SurfaceDirs dirs;
    QString error;
    const bool found = locateSurfaceDirs(start, QStringLiteral("Case680mm"), QStringLiteral("head"),
                                         &dirs, &error);
    QCOMPARE(found, missing.isEmpty());
    if (found) {
        QCOMPARE(dirs.surface, QDir(root.filePath(QStringLiteral("Case680mm/head"))).absolutePath());
        QCOMPARE(dirs.executingFiles, QDir(start).absolutePath());
    } else {
        QCOMPARE(error, QStringLiteral("directory not found: ") + QDir(root.filePath(missing)).absolutePath());
    }
    QVERIFY(!locateSurfaceDirs(start, QString(), QStringLiteral("head"), &dirs, &error));
}

void TestFieldMapData::restorerReturnsToExecutingFiles()
{
    TestWorkspace root;   // puts the test's own directory back when it goes
    QVERIFY(root.isValid());
    QVERIFY(QDir(root.root()).mkpath(QStringLiteral("Other")));
    {
        // Started beside ExecutingFiles: ends in ExecutingFiles all the same.
        const CurrentDirGuard restorer(returnDirectory(root.path(QStringLiteral("Other"))));
        QVERIFY(QDir::setCurrent(root.root()));
    }
    QCOMPARE(QDir::currentPath(), root.executingDir());
    QTemporaryDir lone;
    QCOMPARE(returnDirectory(lone.path()), lone.path());   // no ExecutingFiles beside it
}

void TestFieldMapData::guardChecksEveryMove()
{
    TestWorkspace root;
    QVERIFY(root.isValid());
    QVERIFY(QDir::setCurrent(root.executingDir()));
    {
        const CurrentDirGuard guard;
        QVERIFY(!guard.enter(root.path(QStringLiteral("missing"))));
        QCOMPARE(QDir::currentPath(), root.executingDir());   // a failed move moves nothing
        QVERIFY(guard.enter(root.root()));
        QCOMPARE(QDir::currentPath(), root.root());
    }
    QCOMPARE(QDir::currentPath(), root.executingDir());
}

QTEST_GUILESS_MAIN(TestFieldMapData)
#include "tst_fieldmapdata.moc"
