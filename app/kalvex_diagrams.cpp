#include "kalvex.h"

#include "messages.h"
#include "calc/currentdirguard.h"
#include "formats/caselayout.h"
#include "post/surfacedirs.h"
#include "post/alphacoefficient.h"
#include "post/gnuplotjob.h"
#include "post/resultfile.h"
#include "post/valvediagram.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QPixmap>

namespace {

// A coefficient diagram is small; a run past this bound has gone wrong.
constexpr int alphaTimeoutMs = 8000;
// The valve history may be long and is read once per curve.
constexpr int valveTimeoutMs = GnuplotJob::defaultTimeoutMs;
// Enough of gnuplot's complaint to see the cause without flooding the box.
constexpr int reportedErrorLines = 12;

QString lastLines(const QString &text, int count)
{
    const QStringList lines = text.trimmed().split(QLatin1Char('\n'));
    return lines.mid(qMax(0, lines.size() - count)).join(QLatin1Char('\n'));
}

QString noImageReport(const QString &imageName, const JobOutcome &outcome)
{
    QString report = Kalvex::tr("No picture \"%1\" was drawn: %2 %3.")
                         .arg(imageName, GnuplotJob::program(), outcome.describe());
    const QString complaint = lastLines(outcome.errorOutput, reportedErrorLines);
    if (!complaint.isEmpty())
        report += QStringLiteral("\n\n") + complaint;
    return report;
}

ValveDiagram::Quantity chosenQuantity(bool dischargeMassFlow, bool suctionMassFlow, bool lift)
{
    using ValveDiagram::Quantity;
    if (dischargeMassFlow)
        return Quantity::DischargeMassFlow;
    if (suctionMassFlow)
        return Quantity::SuctionMassFlow;
    return lift ? Quantity::Lift : Quantity::Velocity;
}

} // namespace

void Kalvex::plotValves()
{
    if (!plotCaseReady(tr("Plot valve results")))
        return;
    const ValveDiagram::Quantity quantity =
        chosenQuantity(radioButton->isChecked(), radioButton_2->isChecked(), radioButton_3->isChecked());
    int suctionValves = 0;
    int dischargeValves = 0;
    if (!readValveCount(Parameter::SuctionValveCount, &suctionValves))
        return;
    if (ValveDiagram::usesDischargeCount(quantity) && !readValveCount(Parameter::DischargeValveCount, &dischargeValves))
        return;

    const QStringList script =
        ValveDiagram::plotScript(text(Parameter::CaseName), quantity, suctionValves, dischargeValves);
    if (!writeDiagramScript(ValveDiagram::scriptName(), script))
        return;
    if (!removeOldImage(ValveDiagram::imageName()))
        return;
    runDiagramJob(ValveDiagram::scriptName(), ValveDiagram::imageName(), valveTimeoutMs,
                  tr("Plot valve results"));
}

void Kalvex::plotAlpha()
{
    if (!plotCaseReady(tr("Plot heat transfer coefficient")))
        return;
    const QDir startDir = QDir::current();
    // The script addresses the case as "../<case>", so it runs in ExecutingFiles.
    const QString executingFiles =
        QDir::cleanPath(startDir.absoluteFilePath(QStringLiteral("../") + QLatin1String(formats::caselayout::executingDirectory)));
    const CurrentDirGuard guard(FieldMaps::returnDirectory(startDir.absolutePath()));
    QDir caseDir;
    const QString caseName = text(Parameter::CaseName);
    QString error;
    if (!AlphaCoefficient::locateCase(startDir, caseName, &caseDir, &error)) {
        Messages::warning(this, tr("Plot heat transfer coefficient"), error);
        return;
    }
    if (!writeAlphaTable(caseDir.absolutePath()))
        return;
    if (!guard.enter(executingFiles)) {
        Messages::warning(this, tr("Plot heat transfer coefficient"),
                          tr("The directory %1 could not be entered; the diagram was not drawn.")
                              .arg(QDir::toNativeSeparators(executingFiles)));
        return;
    }
    plotAlphaCurves();
}

void Kalvex::plotAlphaCurves()
{
    if (!writeDiagramScript(AlphaCoefficient::scriptName(),
                            AlphaCoefficient::plotScript(text(Parameter::CaseName))))
        return;
    if (!removeOldImage(AlphaCoefficient::imageName()))
        return;
    runDiagramJob(AlphaCoefficient::scriptName(), AlphaCoefficient::imageName(), alphaTimeoutMs,
                  tr("Plot heat transfer coefficient"));
}

bool Kalvex::readValveCount(Parameter key, int *count)
{
    const std::optional<int> value = ValveDiagram::valveCount(text(key));
    if (!value) {
        Messages::warning(this, tr("Plot valve results"),
                          tr("\"%1\" must be a whole number from 1 to %2, not \"%3\".")
                              .arg(ParameterSet::caption(key), QString::number(ValveDiagram::maxValvesPerKind),
                                   text(key)));
        return false;
    }
    *count = *value;
    return true;
}

bool Kalvex::writeDiagramScript(const QString &scriptName, const QStringList &lines)
{
    QString error;
    const bool written = writeScriptFile(scriptName, lines, &error);
    qDebug() << "Flush-State:" << written;
    if (!written)
        Messages::fileError(this, scriptName, error);
    return written;
}

bool Kalvex::removeOldImage(const QString &imageName)
{
    QFile image(imageName);
    if (!image.exists() || image.remove())
        return true;
    Messages::fileError(this, imageName, image.errorString());
    return false;
}

void Kalvex::runDiagramJob(const QString &scriptName, const QString &imageName, int timeoutMs,
                           const QString &title)
{
    printJobStart({scriptName});
    GnuplotJob job(this);
    const JobOutcome outcome = job.run(scriptName, timeoutMs);
    const QPixmap picture = outcome.succeeded() ? QPixmap(imageName) : QPixmap();
    label_gpplot->setPixmap(picture);
    if (picture.isNull())
        Messages::warning(this, title, noImageReport(imageName, outcome));
}

bool Kalvex::writeAlphaTable(const QString &caseDirPath)
{
    const int steps = stepsToPlot(caseDirPath);
    if (steps <= 0)
        return true; // nothing to evaluate: the case keeps the table it has
    const AlphaCoefficient::Gas gas = AlphaCoefficient::gasOf(texts(AlphaCoefficient::gasParameters()));
    const QDir caseDir(caseDirPath);
    const QString tableName = caseDir.filePath(AlphaCoefficient::tableFileName());
    QString error;
    if (AlphaCoefficient::writeTable(tableName,
                                     AlphaCoefficient::computeTable(caseDir, steps, gas), &error))
        return true;
    Messages::fileError(this, tableName, error);
    return false;
}
