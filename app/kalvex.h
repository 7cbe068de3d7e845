#pragma once

#include <QMainWindow>
#include <QString>

#include "params/parameterset.h"
#include "ui_mainwindow.h"

class CurrentDirGuard;
class QTextStream;
class Kalvex;
namespace FieldMaps {
struct Surface;
}
class SolverRuns;
struct CaseLayout;

// Installs the "Windows" style and creates the one main window, titled
// "Kalvex V2.1". The caller shows it.
Kalvex *createMainWindow();

// The one main window. Every user operation is a slot; the slots read the
// form, call the logic library, write files, run jobs and report.
class Kalvex : public QMainWindow, private Ui::MainWindow
{
    Q_OBJECT

public:
    explicit Kalvex(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

    // The form's line edit that holds a parameter (app/formfields.cpp).
    QLineEdit *parameterField(Parameter key) const;

public slots:
    void openFile();
    void saveCylData();
    void startSaveCylData();
    void saveValveData();
    void startSaveValveData();
    void startSaveMeshData();
    void getValveData();
    void plotResults();
    void plotHPS();
    void plotHead();
    void plotPiston();
    void plotSide();
    void plotValves();
    void plotAlpha();
    void vmap();
    void gnuplotScript(int iIndex, int _nSuctionValves, int _nDischargeValves,
                       QTextStream &_out, QString &_fileNameNew);
    void startCalc();

private:
    void plotAlphaCurves();

    // The parameters as the form holds them now (app/formfields.cpp).
    QString text(Parameter key) const;
    FieldTexts texts(const QList<Parameter> &keys) const;
    void showTexts(const FieldTexts &texts);
    void setUpParameterFields();

    // Parameter files (kalvex_params.cpp). Each writer shows its own message
    // on failure and returns whether the file was written.
    void readParameterFile(const ParameterSet::Table &set, const QString &caption);
    bool writeParameterFile(const ParameterSet::Table &set, const QString &fileName);
    void saveParameterFile(const ParameterSet::Table &set, const QString &caption);
    bool writeCylinderFile(const QString &fileName);
    bool writeValveFile(const QString &fileName);

    // Pocket mesh input and mapping (kalvex_mesh.cpp), relative to the current
    // directory; same contract as the writers above.
    bool writeMeshInput();
    bool mapPocketMesh();

    // Calculation run (kalvex_calc.cpp). Each step reports its own failure
    // and returns whether the run may go on.
    bool calcInputsAccepted();
    bool createResultDirs(const QString &root, const QStringList &resultDirs);
    bool enterDir(const CurrentDirGuard &guard, const QString &dir);
    bool writeSolverInputs(const CurrentDirGuard &guard, const QString &dir, bool withPocketMesh);
    void reportCalcStopped(const QString &what);

    // Field maps (kalvex_fieldmaps.cpp): plots one or more surfaces, shows
    // the progress and reports the problems of all of them at once.
    void plotFieldMaps(const QList<const FieldMaps::Surface *> &surfaces);

    // Valve diagrams and heat-transfer coefficients (kalvex_diagrams.cpp).
    // Each helper reports its own failure in a message box; false means stop.
    bool readValveCount(Parameter key, int *count);
    bool writeDiagramScript(const QString &scriptName, const QStringList &lines);
    bool removeOldImage(const QString &imageName);
    void runDiagramJob(const QString &scriptName, const QString &imageName, int timeoutMs,
                       const QString &title);
    bool writeAlphaTable(const QString &caseDirPath);

    // Solver runs (kalvex_runs.cpp). The window follows every run it starts
    // and shows them in the status bar; nothing of them outlives the window.
    void setUpRunStatus();
    // The case named in the form, seen from the current directory.
    CaseLayout currentCase() const;
    // Refuses "Calculate" on a case whose solver still runs, and offers to stop it.
    bool calcCaseIsFree();
    void launchSolver(const CaseLayout &layout);
    // Asked by every plot slot first: false when the case has nothing to
    // draw; says what is missing while its run goes on or after it failed.
    bool plotCaseReady(const QString &title);
    // The output steps a plot of caseDir may read: those its run has completed.
    int stepsToPlot(const QString &caseDir) const;
    void showRunStatus();
    void reportRunFailure(const QString &caseName, const QString &reason);

    SolverRuns *m_runs = nullptr;
    QLabel *m_runStatus = nullptr;
};
