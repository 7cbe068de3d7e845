#include "params/parameterfile.h"
#include "parameternames.h"
#include "sampledata.h"

#include <QBuffer>
#include <QFile>
#include <QtTest>

using ParameterFile::FieldTexts;

namespace {

const ParameterSet::Table &table(bool valveSet)
{
    return valveSet ? ParameterSet::valves() : ParameterSet::cylinder();
}

QByteArray written(bool valveSet, const FieldTexts &texts)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly | QIODevice::Text);
    if (!ParameterFile::write(table(valveSet), texts, buffer))
        return "write failed";
    return buffer.data();
}

FieldTexts readBytes(bool valveSet, const QByteArray &bytes)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    return ParameterFile::read(table(valveSet), buffer);
}

QByteArray fixture(const QString &name)
{
    QFile file(QFINDTESTDATA("data/" + name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The sample's data lines, without comments or empty lines.
QByteArrayList dataLines(const QByteArray &file)
{
    QByteArrayList lines;
    for (const QByteArray &line : file.split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#'))
            lines << line;
    }
    return lines;
}

QByteArray joinLines(const QByteArrayList &lines)
{
    return lines.join('\n') + '\n';
}

} // namespace

class TestParameterFile : public QObject
{
    Q_OBJECT

private slots:
    void writesFixture_data();
    void writesFixture();
    void writtenValue_data();
    void writtenValue();
    void readsHostileInput_data();
    void readsHostileInput();
    void readsFiftyMegabyteLine_data();
    void readsFiftyMegabyteLine();
    void readsBinaryGarbage();
    void readBackProblem_data();
    void readBackProblem();
};

void TestParameterFile::writesFixture_data()
{
    QTest::addColumn<bool>("valveSet");
    QTest::addColumn<QString>("fixtureName");
    QTest::newRow("cylinder") << false << "cylinder.txt";
    QTest::newRow("valves") << true << "valves.txt";
}

void TestParameterFile::writesFixture()
{
    QFETCH(bool, valveSet);
    QFETCH(QString, fixtureName);
    const QByteArray expected = fixture(fixtureName);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(written(valveSet, SampleData::typed(SampleData::fields(valveSet))),
             SampleData::withPlatformLineEnds(expected));
}

// One field changed from the sample; `line` is the 1-based line of the file.
void TestParameterFile::writtenValue_data()
{
    QTest::addColumn<bool>("valveSet");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("integer") << false << "CellsAlongPistonRadius" << "12" << 30 << QByteArray("12");
    QTest::newRow("integer in real notation") << false << "CellsAlongPistonRadius" << "12.0" << 30 << QByteArray("12");
    QTest::newRow("integer in exponent notation") << false << "CellsAlongRodRadius" << "1e3" << 32 << QByteArray("1000");
    QTest::newRow("negative whole real") << false << "CellsInClearance" << "-3.0" << 34 << QByteArray("-3");
    QTest::newRow("integer not whole") << false << "CellsAlongPistonRadius" << "12.5" << 30 << QByteArray("0");
    QTest::newRow("integer no number") << false << "CellsAlongPistonRadius" << "many" << 30 << QByteArray("0");
    QTest::newRow("integer too large") << false << "CellsAlongPistonRadius" << "1e12" << 30 << QByteArray("0");
    QTest::newRow("real no number") << false << "PistonDiameter" << "wide" << 6 << QByteArray("0.00000");
    QTest::newRow("real empty") << false << "PistonDiameter" << "" << 6 << QByteArray("0.00000");
    QTest::newRow("real rounds to five decimals") << false << "MinimalGap" << "0.0000049" << 10
                                                  << QByteArray("0.00000");
    QTest::newRow("viscosity smart, fixed form") << false << "Viscosity" << "0.001" << 46
                                                 << QByteArray("0.001");
    QTest::newRow("viscosity smart, five digits") << false << "Viscosity" << "123456789" << 46
                                                  << QByteArray("1.2346e+08");
    QTest::newRow("viscosity zero") << false << "Viscosity" << "" << 46 << QByteArray("0");
    QTest::newRow("case name unchanged") << false << "CaseName" << "Run_7" << 2 << QByteArray("Run_7");
    QTest::newRow("valve diameter as typed") << true << "ValveDiameter" << "0.05 m" << 2 << QByteArray("0.05 m");
    QTest::newRow("empty angle") << true << "SuctionPocketAngle5" << "" << 8
                                 << QByteArray("0.00000\t72.00000\t144.00000\t216.00000\t0.00000");
    QTest::newRow("count in real notation") << true << "DischargeValveCount" << "2.0" << 28 << QByteArray("2");
}

void TestParameterFile::writtenValue()
{
    QFETCH(bool, valveSet);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QByteArray, expected);

    FieldTexts texts = SampleData::typed(SampleData::fields(valveSet));
    bool known = false;
    texts.insert(parameterNamed(field, &known), text);
    QVERIFY2(known, qPrintable(field));
    const QByteArrayList lines = written(valveSet, texts).split('\n');
    QCOMPARE(lines.size(), valveSet ? 53 : 47); // every line ended
    QCOMPARE(lines.at(line - 1), expected);
}

// Each row reads a file built from a fixture and checks a few fields.
void TestParameterFile::readsHostileInput_data()
{
    QTest::addColumn<bool>("valveSet");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("expected");

    const QByteArray cylinder = fixture("cylinder.txt");
    const QByteArray valves = fixture("valves.txt");
    QByteArrayList cylinderData = dataLines(cylinder);
    QByteArrayList valveData = dataLines(valves);

    QByteArray windows = cylinder;
    windows.replace("\n", "\r\n");
    QTest::newRow("windows line ends") << false << windows
                                       << QStringList{"CaseName", "CellsAlongPistonRadius", "Viscosity"}
                                       << QStringList{"Case680mm", "20", "1.85000e-05"};
    QByteArray windowsValves = valves;
    windowsValves.replace("\n", "\r\n");
    QTest::newRow("windows line ends, angles") << true << windowsValves
                                               << QStringList{"SuctionPocketAngle5", "PocketHeight"}
                                               << QStringList{"288.0", "19.0"};

    QByteArray hashAfterBlanks = cylinder;
    hashAfterBlanks.replace("Case680mm\n", "Case680mm\n   #x\n");
    QTest::newRow("blanks then hash is data") << false << hashAfterBlanks
                                              << QStringList{"PistonDiameter", "RodDiameter"}
                                              << QStringList{"0.000", "0.680"};

    QByteArray keyValue = cylinder;
    keyValue.replace("\n0.68000\n", "\ndP = 0.68\n");
    QTest::newRow("dP = 0.68") << false << keyValue << QStringList{"PistonDiameter", "RodDiameter"}
                               << QStringList{"0.000", "0.100"};

    QByteArray trailingText = cylinder;
    trailingText.replace("\n0.68000\n", "\n0.68 m\n");
    QTest::newRow("text after the value") << false << trailingText << QStringList{"PistonDiameter"}
                                          << QStringList{"0.680"};

    QTest::newRow("fewer data lines") << false << joinLines(cylinderData.mid(0, 3))
                                      << QStringList{"RodDiameter", "MinimalGap", "CellsAlongPistonRadius",
                                                     "Viscosity"}
                                      << QStringList{"0.100", "0.0000", "0", "0.00000e+00"};
    QTest::newRow("fewer valve lines, angles empty") << true << joinLines(valveData.mid(0, 2))
                                                     << QStringList{"SuctionValveCount", "SuctionPocketAngle1",
                                                                    "SuctionMaxLift", "DischargePocketAngle5"}
                                                     << QStringList{"3", "", "0.0000", ""};

    QByteArrayList many = cylinderData;
    for (int extra = 0; extra < 60; ++extra)
        many << QByteArray::number(extra);
    QTest::newRow("more data lines") << false << joinLines(many)
                                     << QStringList{"CaseName", "Viscosity"}
                                     << QStringList{"Case680mm", "1.85000e-05"};

    QByteArrayList tokenless = cylinderData;
    tokenless.insert(1, "   ");
    tokenless.insert(3, " = = ");
    tokenless.insert(5, "\t");
    QTest::newRow("token-less lines skipped") << false << joinLines(tokenless)
                                              << QStringList{"PistonDiameter", "RodDiameter", "Viscosity"}
                                              << QStringList{"0.680", "0.100", "1.85000e-05"};

    QByteArrayList shortAngles = valveData;
    shortAngles[2] = "10\t20\t30";
    QTest::newRow("three angles") << true << joinLines(shortAngles)
                                  << QStringList{"SuctionPocketAngle3", "SuctionPocketAngle4", "SuctionPocketAngle5",
                                                 "SuctionMaxLift"}
                                  << QStringList{"30.0", "", "", "0.0025"};

    QByteArrayList longAngles = valveData;
    longAngles[12] = "1 2 3 4 5 6 7";
    QTest::newRow("seven angles") << true << joinLines(longAngles)
                                  << QStringList{"DischargePocketAngle1", "DischargePocketAngle5", "DischargeMaxLift"}
                                  << QStringList{"1.0", "5.0", "0.0020"};

    QByteArrayList noDiameter = valveData.mid(1);
    QTest::newRow("missing diameter shifts") << true << joinLines(noDiameter)
                                             << QStringList{"ValveDiameter", "SuctionValveCount", "SuctionPocketAngle1",
                                                            "SuctionPocketAngle2", "SuctionMaxLift"}
                                             << QStringList{"3.000", "0", "0.0", "", "0.0003"};

    QByteArrayList realCounts = valveData;
    realCounts[1] = "3.0";
    QTest::newRow("count in real notation") << true << joinLines(realCounts) << QStringList{"SuctionValveCount"}
                                            << QStringList{"3"};

    QByteArray unterminated = cylinder;
    unterminated.chop(1);
    QTest::newRow("last line unterminated") << false << unterminated << QStringList{"Viscosity"}
                                            << QStringList{"1.85000e-05"};

    QTest::newRow("empty file") << true << QByteArray()
                                << QStringList{"ValveDiameter", "SuctionValveCount", "SuctionPocketAngle1",
                                               "SuctionSpringLength"}
                                << QStringList{"0.000", "0", "", "0.000000"};
}

void TestParameterFile::readsHostileInput()
{
    QFETCH(bool, valveSet);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, expected);
    const FieldTexts texts = readBytes(valveSet, file);
    QCOMPARE(texts.size(), ParameterSet::keys(table(valveSet)).size());
    for (int i = 0; i < fields.size(); ++i) {
        bool known = false;
        QCOMPARE(texts.value(parameterNamed(fields.at(i), &known)), expected.at(i));
        QVERIFY2(known, qPrintable(fields.at(i)));
    }
}

void TestParameterFile::readsFiftyMegabyteLine_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QString>("caseName");
    QTest::newRow("comment") << QByteArray("#") << "Case680mm";
    QTest::newRow("data") << QByteArray("A") << "";
}

// The long line takes one slot, cut to the line limit, and the lines after
// it keep their places.
void TestParameterFile::readsFiftyMegabyteLine()
{
    QFETCH(QByteArray, prefix);
    QFETCH(QString, caseName);
    QByteArray file = fixture("cylinder.txt");
    QByteArray longLine = prefix + QByteArray(50 * 1024 * 1024, 'A') + '\n';
    if (prefix == "#") {
        file.prepend(longLine);
    } else {
        file.replace("Case680mm\n", longLine);
        caseName = QString(ParameterFile::maxLineBytes, u'A');
    }
    const FieldTexts texts = readBytes(false, file);
    QCOMPARE(texts.value(Parameter::CaseName).size(), caseName.size());
    QCOMPARE(texts.value(Parameter::CaseName), caseName);
    QCOMPARE(texts.value(Parameter::PistonDiameter), QString("0.680"));
    QCOMPARE(texts.value(Parameter::Viscosity), QString("1.85000e-05"));
}

void TestParameterFile::readsBinaryGarbage()
{
    QByteArray garbage;
    quint32 state = 12345;
    for (int i = 0; i < 4 * 1024 * 1024; ++i) {
        state = state * 1103515245u + 12345u;
        garbage.append(char(state >> 24));
    }
    for (bool valveSet : {false, true}) {
        const FieldTexts texts = readBytes(valveSet, garbage);
        QCOMPARE(texts.size(), ParameterSet::keys(table(valveSet)).size());
    }
}

void TestParameterFile::readBackProblem_data()
{
    QTest::addColumn<bool>("valveSet");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("reason");

    QTest::newRow("case name fine") << false << "CaseName" << "Case_1" << "" << "";
    QTest::newRow("case name empty") << false << "CaseName" << "" << "Case name" << "is empty";
    QTest::newRow("case name hash") << false << "CaseName" << "#1" << "Case name" << "begins with \"#\"";
    QTest::newRow("case name blank") << false << "CaseName" << "Case 1" << "Case name" << "holds a blank";
    QTest::newRow("case name leading blank") << false << "CaseName" << " Case" << "Case name"
                                             << "holds a blank";
    QTest::newRow("case name tab") << false << "CaseName" << "Case\t1" << "Case name" << "holds a blank";
    QTest::newRow("case name equals") << false << "CaseName" << "a=b" << "Case name" << "holds \"=\"";
    QTest::newRow("case name line break") << false << "CaseName" << "a\nb" << "Case name"
                                          << "holds a line break";
    QTest::newRow("diameter with unit fine") << true << "ValveDiameter" << "0.05 m" << "" << "";
    QTest::newRow("diameter empty") << true << "ValveDiameter" << "" << "Valve diameter d_V (m)" << "is empty";
    QTest::newRow("diameter hash") << true << "ValveDiameter" << "#0.05" << "Valve diameter d_V (m)"
                                   << "begins with \"#\"";
    QTest::newRow("diameter blanks only") << true << "ValveDiameter" << "  " << "Valve diameter d_V (m)"
                                          << "holds no value";
    QTest::newRow("real fields never refused") << false << "PistonDiameter" << "#" << "" << "";
}

void TestParameterFile::readBackProblem()
{
    QFETCH(bool, valveSet);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(QString, reason);
    FieldTexts texts = SampleData::typed(SampleData::fields(valveSet));
    bool known = false;
    texts.insert(parameterNamed(field, &known), text);
    QVERIFY2(known, qPrintable(field));
    QString problem;
    const bool readsBack = ParameterFile::readsBack(table(valveSet), texts, &problem);
    QCOMPARE(readsBack, caption.isEmpty());
    QCOMPARE(problem, caption.isEmpty() ? QString() : QStringLiteral("The field \"%1\" %2").arg(caption, reason));
}

QTEST_GUILESS_MAIN(TestParameterFile)
#include "tst_parameterfile.moc"
