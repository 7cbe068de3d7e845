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

    row("piston diameter 0", "PistonDiameter=0", true);
    row("rod 0 without cells", "RodDiameter=0;CellsAlongRodRadius=0", false);
    row("rod 0 with cells", "RodDiameter=0", false);
    row("rod negative", "RodDiameter=-0.001", true);
    row("rod as wide as the piston", "RodDiameter=0.68", true);
    row("rod just narrower", "RodDiameter=0.67999", false);
    row("gap 0", "MinimalGap=0", true);
    row("gap smallest written", "MinimalGap=0.00001", false);
    row("gap written as 0", "MinimalGap=0.000004", true);
    row("crank radius 0", "CrankRadius=0", true);
    row("crank radius as long as conrod", "CrankRadius=1.2", true);
    row("crank radius just shorter", "CrankRadius=1.19999", false);
    row("conrod 0", "ConrodLength=0", true);
    row("speed 0", "CrankSpeed=0", true);
    row("gamma 1", "HeatCapacityRatio=1", true);
    row("gamma just above 1", "HeatCapacityRatio=1.00001", false);
    row("gamma written as 1", "HeatCapacityRatio=1.000004", true);
    row("gamma 2", "HeatCapacityRatio=2", true);
    row("gamma just below 2", "HeatCapacityRatio=1.99999", false);
    row("suction pressure 0", "SuctionPressure=0", true);
    row("discharge pressure 0", "DischargePressure=0", true);
    row("discharge pressure equal", "DischargePressure=100000", true);
    row("discharge pressure below", "DischargePressure=99999", true);
    row("discharge pressure just above", "DischargePressure=100000.00001", false);
    row("discharge pressure equal once written", "DischargePressure=100000.000004", true);
    row("suction density 0", "SuctionDensity=0", true);
    row("n1 0", "CellsAlongPistonRadius=0", true);
    row("n1 1", "CellsAlongPistonRadius=1", false);
    row("n2 0", "CellsAlongRodRadius=0", false);
    row("n2 negative", "CellsAlongRodRadius=-1", true);
    row("n3 0", "CellsInClearance=0", true);
    row("n3 1", "CellsInClearance=1", false);
    row("grading_P 0", "GradingPiston=0", true);
    row("grading_P smallest written", "GradingPiston=0.00001", false);
    row("grading_P 1", "GradingPiston=1", true);
    row("grading_P just below 1", "GradingPiston=0.99999", false);
    row("grading_P written as 1", "GradingPiston=0.999996", true);
    row("grading_R 1", "GradingRod=1", true);
    row("grading_R 0", "GradingRod=0", true);
    row("Courant 0", "CourantNumber=0", true);
    row("Courant smallest written", "CourantNumber=0.00001", false);
    row("phiMax 0", "EndAngle=0", true);
    row("phiMax 360000", "EndAngle=360000", false);
    row("phiMax beyond", "EndAngle=360000.00001", true);
    row("phiMax written as 360000", "EndAngle=360000.000004", false);
    row("molar mass 0", "MolarMass=0", true);
    row("molar mass at the air bound", "MolarMass=0.00001", true);
    row("molar mass above the air bound", "MolarMass=0.00002", false);
    row("viscosity 0", "Viscosity=0", true);
    row("viscosity small", "Viscosity=1e-09", false);

    row("valve diameter 0", "ValveDiameter=0", true);
    row("no suction valve", "SuctionValveCount=0", true);
    row("one suction valve", "SuctionValveCount=1", false);
    row("five suction valves", "SuctionValveCount=5;SuctionPocketAngle3=10;SuctionPocketAngle4=20;SuctionPocketAngle5=30", false);
    row("six suction valves", "SuctionValveCount=6;SuctionPocketAngle3=10;SuctionPocketAngle4=20;SuctionPocketAngle5=30", true);
    row("no discharge valve", "DischargeValveCount=0", true);
    row("six discharge valves", "DischargeValveCount=6;DischargePocketAngle3=10;DischargePocketAngle4=20;DischargePocketAngle5=30", true);
    row("suction lift 0", "SuctionMaxLift=0", true);
    row("discharge lift 0", "DischargeMaxLift=0", true);
    row("fe1mm 0", "SuctionFe1mm=0", true);
    row("alpha 0", "SuctionAlpha=0", true);
    row("alpha 1", "SuctionAlpha=1", false);
    row("alpha above 1", "DischargeAlpha=1.00001", true);
    row("beta 0", "SuctionBeta=0", false);
    row("beta negative", "DischargeBeta=-0.00001", true);
    row("beta written as 0", "DischargeBeta=-0.000001", false);
    row("plate mass 0", "SuctionPlateMass=0", true);
    row("force area 0", "DischargeForceArea=0", true);
    row("no spring", "SuctionSpringStiffness=0;SuctionSpringLength=0", false);
    row("stiffness negative", "DischargeSpringStiffness=-1", true);
    row("spring length negative", "DischargeSpringLength=-0.001", true);
    row("pocket radius 0", "PocketRadius=0", true);
    row("cone height 0", "ConeHeight=0", true);
    row("pocket height 0", "PocketHeight=0", true);
    row("pocket as wide as the piston", "PocketRadius=340", true);
    row("cone past the axis", "ConeHeight=325", true);
    row("cone just short of the axis", "ConeHeight=324", false);
    row("valve seat inside the bore", "PocketHeight=15", true);
    row("valve seat just outside the bore", "PocketHeight=15.1", false);

    // Magnitudes no compressor has, and subnormal numbers.
    row("piston diameter 100 m", "PistonDiameter=100;CrankRadius=1;ConrodLength=5", false);
    row("piston diameter beyond 100 m", "PistonDiameter=100.00001;CrankRadius=1;ConrodLength=5", true);
    row("speed 1e300 rpm", "CrankSpeed=1e300", true);
    row("speed 100000 rpm", "CrankSpeed=100000", false);
    row("suction pressure 1e300", "SuctionPressure=1e300;DischargePressure=2e300", true);
    row("discharge pressure 10 GPa", "DischargePressure=1e10", false);
    row("discharge pressure beyond 10 GPa", "DischargePressure=1.00001e10", true);
    row("density beyond 1e5", "SuctionDensity=100001", true);
    row("n1 10000", "CellsAlongPistonRadius=10000", false);
    row("n1 10001", "CellsAlongPistonRadius=10001", true);
    row("molar mass beyond 1e4", "MolarMass=10001", true);
    row("viscosity subnormal", "Viscosity=1e-310", true);
    row("viscosity beyond 1000", "Viscosity=1001", true);
    row("plate mass beyond 1000 kg", "DischargePlateMass=1001", true);
    row("stiffness beyond 1e12", "SuctionSpringStiffness=1.00001e12", true);
    row("pocket angle 3600", "SuctionPocketAngle1=3600", false);
    row("pocket angle 1e308", "SuctionPocketAngle1=1e308", true);
    row("pocket angle of a valve not in use 1e308", "SuctionValveCount=1;SuctionPocketAngle2=1e308", false);
}

void TstInputRules::bothCheckersAgree()
{
    QFETCH(QString, changes);
    QFETCH(bool, refused);
    QString unknown;
    const FieldTexts texts = changedSampleFieldTexts(changes, &unknown);
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
