#include "calc/caselayout.h"
#include "calc/entryname.h"
#include "calc/parametercheck.h"

#include "samplefields.h"
#include "testworkspace.h"

#include <QtTest>

// The checks a calculation run makes before it touches anything.
class TstCalcChecks : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void sampleSetPasses();
    void parameterProblems_data();
    void parameterProblems();
    void everyEmptyFieldIsListed();
    void workspace_data();
    void workspace();
    void layoutFromExecutingDir();
};

void TstCalcChecks::names_data()
{
    QTest::addColumn<bool>("isCaseName"); // else the pocket mesh file name
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("problem"); // a part of the reason; empty: accepted

    QTest::newRow("case: default") << true << "Case680mm" << "";
    QTest::newRow("case: punctuation") << true << "Case_680-mm.v2(b)" << "";
    QTest::newRow("case: umlaut") << true << QString::fromUtf8("Verdichter_Größe2") << "";
    QTest::newRow("case: empty") << true << "" << "is empty";
    QTest::newRow("case: dot") << true << "." << "names no directory";
    QTest::newRow("case: dot dot") << true << ".." << "names no directory";
    QTest::newRow("case: slash") << true << "A/B" << "\"/\"";
    QTest::newRow("case: backslash") << true << "A\\B" << "\"\\\"";
    QTest::newRow("case: colon") << true << "C:case" << "\":\"";
    QTest::newRow("case: greater") << true << "a>b" << "\">\"";
    QTest::newRow("case: quote") << true << "a\"b" << "\"\"\"";
    QTest::newRow("case: star") << true << "case*" << "\"*\"";
    QTest::newRow("case: tab") << true << "a\tb" << "control character";
    QTest::newRow("case: newline") << true << "a\nb" << "control character";
    QTest::newRow("case: trailing dot") << true << "Case." << "end with a dot or a blank";
    QTest::newRow("case: trailing blank") << true << "Case " << "end with a dot or a blank";
    QTest::newRow("case: leading blank") << true << " Case" << "begin with a blank";
    QTest::newRow("case: device") << true << "con" << "device name";
    QTest::newRow("case: inner blank") << true << "Case 1" << "blanks or \"=\"";
    QTest::newRow("case: equals") << true << "d=680" << "blanks or \"=\"";
    QTest::newRow("case: hash") << true << "#1" << "comment";
    QTest::newRow("case: apostrophe") << true << "Case'1" << "plot scripts";
    QTest::newRow("case: program dir") << true << "executingfiles" << "program directory";
    QTest::newRow("case: input file") << true << "InputCylinder.txt" << "file in the workspace";
    QTest::newRow("case: reference mesh") << true << "reference_valve_pocket.msh" << "file in the workspace";

    QTest::newRow("mesh: default") << false << "dP=680mm.msh" << "";
    QTest::newRow("mesh: blank") << false << "pocket mesh.msh" << "";
    QTest::newRow("mesh: empty") << false << "" << "is empty";
    QTest::newRow("mesh: parent") << false << "../x.msh" << "\"/\"";
    QTest::newRow("mesh: reference mesh") << false << "Reference_Valve_Pocket.msh" << "overwrite";
    QTest::newRow("mesh: valve input") << false << "InputValves.txt" << "overwrite";
    QTest::newRow("mesh: mesh input") << false << "InputPocketMesh.txt" << "overwrite";
    QTest::newRow("mesh: program dir") << false << "ExecutingFiles" << "program directory";
    QTest::newRow("case: 255 bytes") << true << QString(255, u'c') << "";
    QTest::newRow("case: 256 bytes") << true << QString(256, u'c') << "longer than 255 bytes";
    QTest::newRow("case: 128 two-byte letters") << true << QString(128, QChar(0xe4)) << "longer than 255 bytes";
    QTest::newRow("mesh: 300 bytes") << false << QString(296, u'm') + ".msh" << "longer than 255 bytes";
}

void TstCalcChecks::names()
{
    QFETCH(bool, isCaseName);
    QFETCH(QString, name);
    QFETCH(QString, problem);
    QString reason;
    const bool accepted = isCaseName ? EntryName::isCaseName(name, &reason) : EntryName::isMeshFileName(name, &reason);
    QCOMPARE(accepted, reason.isEmpty());
    if (problem.isEmpty())
        QCOMPARE(reason, QString());
    else
        QVERIFY2(reason.contains(problem), qPrintable(reason));
}

void TstCalcChecks::sampleSetPasses()
{
    QCOMPARE(ParameterCheck::problems(sampleFieldTexts()), QStringList());
}

void TstCalcChecks::parameterProblems_data()
{
    // changes: "field=text" pairs separated by ";", applied to the sample set.
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QStringList>("expected");

    const QString suctionAngle = QString::fromUtf8("z-axis rotation angles for suction valve pockets (°)");
    const QString dischargeAngle = QString::fromUtf8("z-axis rotation angles for discharge valve pockets (°)");

    QTest::newRow("not a number")
        << "PistonDiameter=abc" << QStringList{"Piston diameter d_P (m): \"abc\" is not a number"};
    QTest::newRow("decimal comma")
        << "SuctionPressure=1,5e5" << QStringList{"Suction pressure p_s (Pa): \"1,5e5\" is not a number"};
    QTest::newRow("nan") << "DischargePressure=nan" << QStringList{"Discharge pressure p_d (Pa): \"nan\" is not a number"};
    QTest::newRow("infinity") << "SuctionDensity=inf" << QStringList{"Suction density rho_s (kg/m^3): \"inf\" is not a number"};
    QTest::newRow("blanks around a number pass") << "CrankSpeed= 300 " << QStringList{};
    QTest::newRow("empty") << "MinimalGap=" << QStringList{"Minimal gap between piston and cylinder-head z_min (m): is empty"};
    QTest::newRow("negative length")
        << "ConrodLength=-1.2" << QStringList{"Conrod length L (m): must be from 1e-06 to 100 (is -1.2)"};
    QTest::newRow("zero speed")
        << "CrankSpeed=0" << QStringList{"Crank shaft speed omega (rpm): must be from 0.001 to 100000 (is 0)"};
    QTest::newRow("gamma one")
        << "HeatCapacityRatio=1" << QStringList{"Ratio of specific heat capacities Gamma: must lie between 1 and 2 (is 1)"};
    QTest::newRow("gamma two")
        << "HeatCapacityRatio=2" << QStringList{"Ratio of specific heat capacities Gamma: must lie between 1 and 2 (is 2)"};
    QTest::newRow("cell count zero")
        << "CellsInClearance=0" << QStringList{"Number of cells in clearance n3: must be from 1 to 10000 (is 0)"};
    QTest::newRow("no cells along the rod radius allowed") << "CellsAlongRodRadius=0" << QStringList{};
    QTest::newRow("cells along the rod radius negative")
        << "CellsAlongRodRadius=-1" << QStringList{"Number of cells along piston rod radius n2: must be from 0 to 10000 (is -1)"};
    QTest::newRow("no rod allowed") << "RodDiameter=0;CellsAlongRodRadius=0" << QStringList{};
    QTest::newRow("rod negative")
        << "RodDiameter=-0.1" << QStringList{"Piston rod diameter d_R (m): must be from 0 to 100 (is -0.1)"};
    QTest::newRow("cell count not whole")
        << "CellsInClearance=4.5" << QStringList{"Number of cells in clearance n3: \"4.5\" is not a whole number"};
    QTest::newRow("cell count in real notation") << "CellsInClearance=4.0;CellsAlongPistonRadius=2e1" << QStringList{};
    QTest::newRow("grading one")
        << "GradingPiston=1" << QStringList{"Radial mesh size grading parameter near piston radius (0 < grading_P < 1): "
                                    "must lie between 0 and 1 (is 1)"};
    QTest::newRow("grading zero")
        << "GradingRod=0" << QStringList{"Radial mesh size grading parameter near rod radius (0 < grading_R < 1): "
                                    "must lie between 0 and 1 (is 0)"};
    QTest::newRow("grading rounded onto one by the data file")
        << "GradingPiston=0.999996" << QStringList{"Radial mesh size grading parameter near piston radius (0 < grading_P < 1): "
                                           "must lie between 0 and 1 (is 0.999996, which the data file holds as 1.00000)"};
    QTest::newRow("gap rounded to zero by the data file")
        << "MinimalGap=0.000004" << QStringList{"Minimal gap between piston and cylinder-head z_min (m): "
                                          "must be from 1e-06 to 100 (is 4e-06, which the data file holds as 0.00000)"};
    QTest::newRow("discharge pressure equal to suction pressure")
        << "DischargePressure=100000" << QStringList{"Discharge pressure p_d (Pa): must be greater than the suction pressure p_s (100000)"};
    QTest::newRow("discharge pressure below suction pressure")
        << "SuctionPressure=300000;DischargePressure=200000"
        << QStringList{"Discharge pressure p_d (Pa): must be greater than the suction pressure p_s (300000)"};
    QTest::newRow("discharge pressure equal once written")
        << "DischargePressure=100000.000001"
        << QStringList{"Discharge pressure p_d (Pa): must be greater than the suction pressure p_s (100000)"};
    QTest::newRow("molar mass at the gas constant rule's bound")
        << "MolarMass=0.00001" << QStringList{"Molar mass [g/mol]: must be greater than 1e-05 and at most 10000 (is 1e-05)"};
    QTest::newRow("courant zero") << "CourantNumber=0" << QStringList{"CourantNumber: must be greater than 0 (is 0)"};
    QTest::newRow("phiMax negative")
        << "EndAngle=-2" << QStringList{"End computation at crank angle phiMax (deg): "
                                     "must be greater than 0 and at most 360000 (is -2)"};
    QTest::newRow("viscosity zero") << "Viscosity=0" << QStringList{"Dynamic viscosity [Pas]: must be greater than 0 and at most 1000 (is 0)"};
    QTest::newRow("rod as wide as piston")
        << "RodDiameter=0.68" << QStringList{"Piston rod diameter d_R (m): must be smaller than the piston diameter d_P (0.68)"};
    QTest::newRow("crank radius as long as conrod")
        << "CrankRadius=1.2" << QStringList{"Crank radius r (m): must be smaller than the conrod length L (1.2)"};
    QTest::newRow("pocket as wide as piston")
        << "PocketRadius=340" << QStringList{"\"Valve pocket radius rv1 [mm]\" (340 mm) must be smaller than the "
                                      "piston radius (340 mm from \"Piston diameter d_P (m)\")."};
    QTest::newRow("cone past the axis")
        << "ConeHeight=330" << QStringList{"\"Height of valve cone hk1 [mm]\" (330 mm) must be smaller than "
                                      "324.962 mm, the distance of the pocket rim from the cylinder axis."};
    QTest::newRow("valve seat inside the bore")
        << "PocketHeight=10" << QStringList{"\"Height of valve pocket hv1 [mm]\" (10 mm) must be greater than "
                                     "15.0385 mm, or the valve seat lies inside the bore."};
    QTest::newRow("valve diameter with unit")
        << "ValveDiameter=0.2 m" << QStringList{"Valve diameter d_V (m): \"0.2 m\" is not a number"};
    QTest::newRow("no suction valve")
        << "SuctionValveCount=0" << QStringList{"Number of suction valves (1): must be from 1 to 5 (is 0)"};
    QTest::newRow("six discharge valves")
        << "DischargeValveCount=6" << QStringList{"Number of discharge valves (1): must be from 1 to 5 (is 6)"};
    QTest::newRow("angle of a third suction valve missing")
        << "SuctionValveCount=3" << QStringList{suctionAngle + ", valve 3: is empty"};
    QTest::newRow("angle of a valve in use not a number")
        << "DischargePocketAngle2=x" << QStringList{dischargeAngle + ", valve 2: \"x\" is not a number"};
    QTest::newRow("angle of a valve not in use ignored") << "DischargePocketAngle3=x" << QStringList{};
    QTest::newRow("negative angle allowed") << "SuctionPocketAngle1=-45" << QStringList{};
    QTest::newRow("lift zero")
        << "DischargeMaxLift=0" << QStringList{"Maximum valve plate lift x_max_out of discharge valve (m): must be from 1e-06 to 100 (is 0)"};
    QTest::newRow("mass negative")
        << "SuctionPlateMass=-0.05" << QStringList{"Valve plate mass of suction valve (kg): must be from 1e-06 to 1000 (is -0.05)"};
    QTest::newRow("stiffness negative")
        << "DischargeSpringStiffness=-1" << QStringList{"Valve spring stiffness of discharge valve (N/m): must be from 0 to 1e+12 (is -1)"};
    QTest::newRow("no spring allowed") << "SuctionSpringStiffness=0;SuctionSpringLength=0" << QStringList{};
    QTest::newRow("negative beta")
        << "DischargeBeta=-5" << QStringList{"Valve parameter beta of discharge valve (1/m^2): must be from 0 to 1e+12 (is -5)"};
    QTest::newRow("alpha above one")
        << "SuctionAlpha=1.2" << QStringList{"Valve parameter alpha of suction valve (1): "
                                      "must be greater than 0 and at most 1 (is 1.2)"};
    QTest::newRow("alpha one") << "DischargeAlpha=1" << QStringList{};
    QTest::newRow("phiMax beyond a thousand turns")
        << "EndAngle=360001" << QStringList{"End computation at crank angle phiMax (deg): "
                                         "must be greater than 0 and at most 360000 (is 360001)"};
    QTest::newRow("pocket height zero")
        << "PocketHeight=0" << QStringList{"Height of valve pocket hv1 [mm]: must be from 0.001 to 100000 (is 0)"};
    QTest::newRow("mesh file overwrites reference")
        << "MeshFileName=reference_valve_pocket.msh"
        << QStringList{"Please enter the name of the mesh file for the valve pockets: "
                       "\"reference_valve_pocket.msh\" would overwrite a file the calculation needs"};
    QTest::newRow("mesh file named like the case")
        << "MeshFileName=Case680mm"
        << QStringList{"Please enter the name of the mesh file for the valve pockets: must differ from the case name"};
    QTest::newRow("listed field by field in form order")
        << "PocketHeight=0;PistonDiameter=x;CellsAlongPistonRadius=0"
        << QStringList{"Piston diameter d_P (m): \"x\" is not a number",
                       "Number of cells along piston radius n1: must be from 1 to 10000 (is 0)",
                       "Height of valve pocket hv1 [mm]: must be from 0.001 to 100000 (is 0)"};
}

void TstCalcChecks::parameterProblems()
{
    QFETCH(QString, changes);
    QFETCH(QStringList, expected);
    QString unknown;
    const FieldTexts texts = changedSampleFieldTexts(changes, &unknown);
    QVERIFY2(unknown.isEmpty(), qPrintable(unknown));
    QCOMPARE(ParameterCheck::problems(texts), expected);
}

void TstCalcChecks::everyEmptyFieldIsListed()
{
    const QStringList problems = ParameterCheck::problems({});
    // Every field with a rule of its own; the angles wait for valid counts.
    QCOMPARE(problems.size(), 42);
    for (const QString &problem : problems)
        QVERIFY2(problem.endsWith(QLatin1String(": is empty")), qPrintable(problem));
}

void TstCalcChecks::workspace_data()
{
    QTest::addColumn<QString>("breakage");
    QTest::addColumn<QString>("problem");

    QTest::newRow("intact") << "" << "";
    QTest::newRow("started in the root") << "root" << "must run in the directory \"ExecutingFiles\"";
    QTest::newRow("solver missing") << "no solver" << "\"euler.exe\" is missing or not executable";
    QTest::newRow("solver not executable") << "solver not executable" << "\"euler.exe\" is missing or not executable";
    QTest::newRow("solver is a directory") << "solver directory" << "\"euler.exe\" is missing or not executable";
    QTest::newRow("reference mesh missing") << "no reference" << "\"reference_valve_pocket.msh\" is missing";
}

void TstCalcChecks::workspace()
{
    QFETCH(QString, breakage);
    QFETCH(QString, problem);
    TestWorkspace ws;
    QVERIFY(ws.isValid());
    QVERIFY(ws.writeProgram("euler.exe", "#!/bin/sh\n"));
    QVERIFY(ws.copyReferenceMesh(QFINDTESTDATA("data/reference_valve_pocket.msh")));
    QString dir = ws.executingDir();
    if (breakage == "root")
        dir = ws.root();
    else if (breakage == "no solver")
        QVERIFY(QFile::remove(ws.program("euler.exe")));
    else if (breakage == "solver not executable")
        QVERIFY(QFile::setPermissions(ws.program("euler.exe"), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    else if (breakage == "solver directory")
        QVERIFY(QFile::remove(ws.program("euler.exe")) && QDir(ws.executingDir()).mkdir("euler.exe"));
    else if (breakage == "no reference")
        QVERIFY(QFile::remove(ws.root() + "/reference_valve_pocket.msh"));

    QString reason;
    const bool accepted = CaseLayout::isWorkspace(dir, &reason);
    QCOMPARE(accepted, reason.isEmpty());
    if (problem.isEmpty())
        QCOMPARE(reason, QString());
    else
        QVERIFY2(reason.contains(problem), qPrintable(reason));
}

void TstCalcChecks::layoutFromExecutingDir()
{
    const CaseLayout layout = CaseLayout::fromExecutingDir("/w/root/ExecutingFiles/", "Case680mm");
    QCOMPARE(layout.root, QString("/w/root"));
    QCOMPARE(layout.executingDir, QString("/w/root/ExecutingFiles"));
    QCOMPARE(layout.caseDir, QString("/w/root/Case680mm"));
    QCOMPARE(layout.resultDirs, (QStringList{"Case680mm/head", "Case680mm/piston", "Case680mm/side"}));
    QCOMPARE(layout.solverProgram(), QString("/w/root/ExecutingFiles/euler.exe"));
}

QTEST_GUILESS_MAIN(TstCalcChecks)
#include "tst_calcchecks.moc"
