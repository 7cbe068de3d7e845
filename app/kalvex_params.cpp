#include "kalvex.h"

#include "messages.h"
#include "formats/caselayout.h"
#include "params/parameterfile.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QSaveFile>

using ParameterFile::FieldTexts;
using ParameterSet::Table;

namespace {

FieldTexts formTexts(const QWidget &window, const Table &set)
{
    FieldTexts texts;
    for (const QString &name : ParameterSet::fieldNames(set)) {
        if (const auto *field = window.findChild<QLineEdit *>(name))
            texts.insert(name, field->text());
    }
    return texts;
}

void showTexts(QWidget &window, const FieldTexts &texts)
{
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        if (auto *field = window.findChild<QLineEdit *>(it.key()))
            field->setText(it.value());
    }
}

// Fills the set's fields from a file the user picks. A cancelled dialog or a
// file that cannot be read leaves the form as it is.
void readParameterFile(QWidget &window, const Table &set, const QString &caption)
{
    const QString fileName =
        QFileDialog::getOpenFileName(&window, caption, QString(), Kalvex::tr("All files (*.*)"));
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const FieldTexts texts = ParameterFile::read(set, file);
        if (file.error() == QFileDevice::NoError) {
            showTexts(window, texts);
            return;
        }
    }
    Messages::warning(&window, Kalvex::tr("Fehler beim Öffnen"),
                      Kalvex::tr("Datei nicht lesbar %1:\n%2.").arg(fileName, file.errorString()));
}

// Writes the set from the form. QSaveFile keeps the previous file until the
// new one is complete; a set that would not read back is not written at all.
bool writeParameterFile(QWidget &window, const Table &set, const QString &fileName)
{
    const FieldTexts texts = formTexts(window, set);
    const ParameterFile::Problem problem = ParameterFile::readBackProblem(set, texts);
    if (!problem.isNull()) {
        Messages::warning(&window, Kalvex::tr("Not saved"),
                          Kalvex::tr("The field \"%1\" %2, so the file would not read back as written.\n"
                                     "Nothing was written to %3.")
                              .arg(problem.caption, problem.reason, fileName));
        return false;
    }
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text) && ParameterFile::write(set, texts, file)
        && file.commit())
        return true;
    Messages::fileError(&window, fileName, file.errorString());
    return false;
}

void saveParameterFile(QWidget &window, const Table &set, const QString &caption)
{
    const QString fileName = QFileDialog::getSaveFileName(&window, caption);
    if (!fileName.isEmpty())
        writeParameterFile(window, set, fileName);
}

} // namespace

void Kalvex::openFile() { readParameterFile(*this, ParameterSet::cylinder(), tr("Open Cylinder Data File")); }
void Kalvex::saveCylData() { saveParameterFile(*this, ParameterSet::cylinder(), tr("Save Cylinder Data File")); }
void Kalvex::startSaveCylData() { writeCylinderFile(QLatin1String(formats::caselayout::cylinderInput)); }
void Kalvex::getValveData() { readParameterFile(*this, ParameterSet::valves(), tr("Open Valve Data File")); }
void Kalvex::saveValveData() { saveParameterFile(*this, ParameterSet::valves(), tr("Save Valve Data File")); }
void Kalvex::startSaveValveData() { writeValveFile(QLatin1String(formats::caselayout::valveInput)); }

bool Kalvex::writeCylinderFile(const QString &fileName)
{
    return writeParameterFile(*this, ParameterSet::cylinder(), fileName);
}

bool Kalvex::writeValveFile(const QString &fileName)
{
    return writeParameterFile(*this, ParameterSet::valves(), fileName);
}
