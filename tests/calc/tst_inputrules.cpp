// The input rules hold alike for their two users: what "Calculate" refuses,
// the solver refuses too, and what it lets through, the solver runs on. Each
// row changes the sample set in the form's texts, checks them as "Calculate"
// does, writes them with the front end's writer, and reads and checks the
// files as the solver does.
#include "calc/parametercheck.h"
#include "params/parameterfile.h"

#include "io/inputerror.h"
#include "io/inputfiles.h"

#include "samplefields.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Empty when the solver accepts the files, else its reason.
QString solverRefusal(const QString &dir)
{
    const std::string cylinderFile = (dir + QStringLiteral("/InputCylinder.txt")).toStdString();
    const std::string valveFile = (dir + QStringLiteral("/InputValves.txt")).toStdString();
    try {
        const euler::CylinderInput cylinder = euler::readCylinderInput(cylinderFile);
        euler::validate(cylinder, cylinderFile);
        const euler::ValveInput valves = euler::readValveInput(valveFile);
        euler::validate(valves, valveFile);
        euler::validatePocket(cylinder, valves, valveFile);
    } catch (const euler::RunError &e) {
        return QString::fromStdString(e.what());
    }
    return QString();
}

bool writeSet(const ParameterSet::Table &set, const ParameterFile::FieldTexts &texts, const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Text) && ParameterFile::write(set, texts, file);
}

} // namespace

class TstInputRules : public QObject
{
    Q_OBJECT

private slots:
    void bothCheckersAgree_data();
    void bothCheckersAgree();
};

void TstInputRules::bothCheckersAgree_data()
{
    // changes: "field=text" pairs separated by ";", applied to the sample set.
    QTest::addColumn<QString>("changes");
    QTest::addColumn<bool>("refused");

    auto row = [](const char *name, const char *changes, bool refused) {
        QTest::newRow(name) << QString::fromLatin1(changes) << refused;
    };
    row("sample set", "", false);

    row("piston diameter 0", "PA_1=0", true);
    row("rod 0 without cells", "PA_1b=0;PA_11=0", false);
    row("rod 0 with cells", "PA_1b=0", false);
    row("rod negative", "PA_1b=-0.001", true);
    row("rod as wide as the piston", "PA_1b=0.68", true);
    row("rod just narrower", "PA_1b=0.67999", false);
    row("gap 0", "PA_2=0", true);
    row("gap smallest written", "PA_2=0.00001", false);
    row("gap written as 0", "PA_2=0.000004", true);
    row("crank radius 0", "PA_3=0", true);
    row("crank radius as long as conrod", "PA_3=1.2", true);
    row("crank radius just shorter", "PA_3=1.19999", false);
    row("conrod 0", "PA_4=0", true);
    row("speed 0", "PA_5=0", true);
    row("gamma 1", "PA_6=1", true);
    row("gamma just above 1", "PA_6=1.00001", false);
    row("gamma written as 1", "PA_6=1.000004", true);
    row("gamma 2", "PA_6=2", true);
    row("gamma just below 2", "PA_6=1.99999", false);
    row("suction pressure 0", "PA_7=0", true);
    row("discharge pressure 0", "PA_8=0", true);
    row("discharge pressure equal", "PA_8=100000", true);
    row("discharge pressure below", "PA_8=99999", true);
    row("discharge pressure just above", "PA_8=100000.00001", false);
    row("discharge pressure equal once written", "PA_8=100000.000004", true);
    row("suction density 0", "PA_9=0", true);
    row("n1 0", "PA_10=0", true);
    row("n1 1", "PA_10=1", false);
    row("n2 0", "PA_11=0", false);
    row("n2 negative", "PA_11=-1", true);
    row("n3 0", "PA_12=0", true);
    row("n3 1", "PA_12=1", false);
    row("grading_P 0", "PA_13=0", true);
    row("grading_P smallest written", "PA_13=0.00001", false);
    row("grading_P 1", "PA_13=1", true);
    row("grading_P just below 1", "PA_13=0.99999", false);
    row("grading_P written as 1", "PA_13=0.999996", true);
    row("grading_R 1", "PA_14=1", true);
    row("grading_R 0", "PA_14=0", true);
    row("Courant 0", "PA_15=0", true);
    row("Courant smallest written", "PA_15=0.00001", false);
    row("phiMax 0", "PA_16=0", true);
    row("phiMax 360000", "PA_16=360000", false);
    row("phiMax beyond", "PA_16=360000.00001", true);
    row("phiMax written as 360000", "PA_16=360000.000004", false);
    row("molar mass 0", "PA_19=0", true);
    row("molar mass at the air bound", "PA_19=0.00001", true);
    row("molar mass above the air bound", "PA_19=0.00002", false);
    row("viscosity 0", "PA_29=0", true);
    row("viscosity small", "PA_29=1e-09", false);

    row("valve diameter 0", "PA_17=0", true);
    row("no suction valve", "PA_18=0", true);
    row("one suction valve", "PA_18=1", false);
    row("five suction valves", "PA_18=5;PA_19c=10;PA_19d=20;PA_19e=30", false);
    row("six suction valves", "PA_18=6;PA_19c=10;PA_19d=20;PA_19e=30", true);
    row("no discharge valve", "PA_28=0", true);
    row("six discharge valves", "PA_28=6;PA_29c=10;PA_29d=20;PA_29e=30", true);
    row("suction lift 0", "PA_20=0", true);
    row("discharge lift 0", "PA_30=0", true);
    row("fe1mm 0", "PA_21=0", true);
    row("alpha 0", "PA_22=0", true);
    row("alpha 1", "PA_22=1", false);
    row("alpha above 1", "PA_32=1.00001", true);
    row("beta 0", "PA_23=0", false);
    row("beta negative", "PA_33=-0.00001", true);
    row("beta written as 0", "PA_33=-0.000001", false);
    row("plate mass 0", "PA_24=0", true);
    row("force area 0", "PA_35=0", true);
    row("no spring", "PA_26=0;PA_27=0", false);
    row("stiffness negative", "PA_36=-1", true);
    row("spring length negative", "PA_37=-0.001", true);
    row("pocket radius 0", "PA_38=0", true);
    row("cone height 0", "PA_39=0", true);
    row("pocket height 0", "PA_40=0", true);
    row("pocket as wide as the piston", "PA_38=340", true);
    row("cone past the axis", "PA_39=325", true);
    row("cone just short of the axis", "PA_39=324", false);
    row("valve seat inside the bore", "PA_40=15", true);
    row("valve seat just outside the bore", "PA_40=15.1", false);
}

void TstInputRules::bothCheckersAgree()
{
    QFETCH(QString, changes);
    QFETCH(bool, refused);
    QString unknown;
    const ParameterFile::FieldTexts texts = changedSampleFieldTexts(changes, &unknown);
    QVERIFY2(unknown.isEmpty(), qPrintable(unknown));
    const QStringList frontEnd = ParameterCheck::problems(texts);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeSet(ParameterSet::cylinder(), texts, dir.filePath(QStringLiteral("InputCylinder.txt"))));
    QVERIFY(writeSet(ParameterSet::valves(), texts, dir.filePath(QStringLiteral("InputValves.txt"))));
    const QString solver = solverRefusal(dir.path());

    QVERIFY2(frontEnd.isEmpty() != refused, qPrintable(frontEnd.join(QLatin1Char('\n'))));
    QVERIFY2(solver.isEmpty() != refused, qPrintable(solver));
}

QTEST_GUILESS_MAIN(TstInputRules)
#include "tst_inputrules.moc"
