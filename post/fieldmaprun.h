#pragma once

#include "fieldmapscripts.h"
#include "gnuplotjob.h"
#include "params/parameters.h"
#include "plotpool.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QObject;

namespace FieldMaps {

// What a field-map run takes from the form, read once when it starts.
struct RunInputs
{
    QString caseName;
    QString endAngle;            // phiMax as typed
    int steps = 0;               // output steps to plot: phiMax truncated, or fewer
    double pistonDiameter = 0;   // m
    double valveDiameter = 0;    // m
    int suctionValves = 0;       // truncated toward zero, like the step count
    int dischargeValves = 0;
    QList<double> suctionAngles; // deg, one per pocket
    QList<double> dischargeAngles;

    static QList<Parameter> parameters();
    static RunInputs fromTexts(const FieldTexts &texts);
};

// How a run tells its caller what goes on; every call comes on the caller's
// thread, from inside run().
struct RunCallbacks
{
    // The run's progress over all its surfaces: what it does now ("Head: step
    // 41 of 720"), and on a second line how many output steps of all surfaces
    // are done, which value and maximum count.
    std::function<void(const QString &label, int value, int maximum)> progress;
    // A map, grid copy or directory that could not be made, in words that
    // name the surface and the file.
    std::function<void(const QString &text)> problem;
    // True once the user asked to stop; the maps going on are finished first.
    std::function<bool()> cancelRequested;
    // Whether user input may reach the window while a map is drawn, as when a
    // modal progress dialog takes it.
    std::function<bool()> acceptsInputWhileDrawing;
};

// One map of an output step: the script that draws it and the image it names.
struct MapScript
{
    QString script;
    QString map;
};

// Draws the density, pressure and velocity maps of the surfaces of one case:
// for each surface, reads every output step's result file into its grid
// copy, gathers the extents, then writes and runs the three scripts of every
// step in ExecutingFiles. The maps of several steps are drawn at once, one
// job per step; a job that is free while the last steps of a surface are
// drawn reads the next surface and starts on its steps. Works from the
// directory it is started in (normally ExecutingFiles, directly under the
// root) and never moves the current directory; its diagnostic lines are those
// of the field-map slots, in their order.
class FieldMapRun
{
    Q_DECLARE_TR_FUNCTIONS(FieldMapRun)

public:
    FieldMapRun(const RunInputs &inputs, QObject *processParent, const RunCallbacks &callbacks);
    ~FieldMapRun();
    FieldMapRun(const FieldMapRun &) = delete;
    FieldMapRun &operator=(const FieldMapRun &) = delete;

    // How many maps are drawn at once: one per core unless told otherwise.
    void setJobs(int jobs);
    int jobs() const { return m_jobs; }
    // How long one map may take before it is stopped and reported.
    void setMapTimeout(int milliseconds) { m_mapTimeoutMs = milliseconds; }

    // Plots the surfaces in order; stops early when the user cancels or the
    // plotting program cannot be started. Every map, grid copy, diagnostic
    // line and problem is the same whatever the number of jobs.
    void run(const QString &startDir, const QList<const Surface *> &surfaces);

    bool cancelled() const { return m_cancelled; }

private:
    struct SurfacePlot;
    struct SurfaceState;
    struct Job;

    SurfacePlot planarPlot(const Surface &surface) const;
    SurfacePlot sidePlot();
    bool nextJob(int slot, PlotPool::Queue *queue);
    bool startStep(SurfaceState &state, int step, int slot, PlotPool::Queue *queue);
    void prepare(SurfaceState &state);
    QList<bool> copyResultFiles(const SurfacePlot &plot, const QString &directory, int steps);
    void mapRan(int job, int index, const JobOutcome &outcome);
    static QString jobScriptName(const QString &scriptName, int slot);
    QString mapProblem(const MapScript &map, const JobOutcome &outcome);
    void finishScripts(int jobs);
    bool writeScript(const QString &scriptName, const QStringList &lines, QString *error) const;
    bool stopRequested();
    void addProblem(const QString &text);
    void reportProblems();
    void reportProgress(const QString &activity) const;

    RunInputs m_inputs;
    QObject *m_processParent;
    RunCallbacks m_callbacks;
    int m_jobs;
    int m_mapTimeoutMs = GnuplotJob::defaultTimeoutMs;
    bool m_programMissing = false;
    bool m_cancelled = false;
    int m_stepsInAll = 0;
    int m_stepsDone = 0;

    // The state of one run() call.
    QString m_startDir;
    QString m_executingFiles;
    QList<std::shared_ptr<SurfaceState>> m_surfaces;
    int m_current = -1;   // the surface whose steps are handed out
    int m_runningSteps = 0;
    bool m_programStarts = false;
    QList<Job> m_started; // every step started, in order; a queue's tag is its index
    QStringList *m_problems = nullptr; // where problems go while a surface is read
};

} // namespace FieldMaps
