#include "kalvex.h"

#include "messages.h"
#include "formats/caselayout.h"
#include "params/parameterfile.h"

#include <QFile>
#include <QFileDialog>
#include <QSaveFile>

using ParameterSet::Table;

// Fills the set's fields from a file the user picks. A cancelled dialog or a
// file that cannot be read leaves the form as it is.
void Kalvex::readParameterFile(const Table &set, const QString &caption)
{
    const QString fileName = QFileDialog::getOpenFileName(this, caption, QString(), tr("All files (*.*)"));
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const FieldTexts texts = ParameterFile::read(set, file);
        if (file.error() == QFileDevice::NoError) {
            showTexts(texts);
            return;
        }
    }
    Messages::warning(this, tr("Fehler beim Öffnen"),
                      tr("Datei nicht lesbar %1:\n%2.").arg(fileName, file.errorString()));
}

// Writes the set from the form. QSaveFile keeps the previous file until the
// new one is complete; a set that would not read back is not written at all.
bool Kalvex::writeParameterFile(const Table &set, const QString &fileName)
{
    const FieldTexts texts = this->texts(ParameterSet::keys(set));
    QString problem;
    if (!ParameterFile::readsBack(set, texts, &problem)) {
        Messages::warning(this, tr("Not saved"),
                          tr("%1, so the file would not read back as written.\nNothing was written to %2.")
                              .arg(problem, fileName));
        return false;
    }
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text) && ParameterFile::write(set, texts, file)
        && file.commit())
        return true;
    Messages::fileError(this, fileName, file.errorString());
    return false;
}

void Kalvex::saveParameterFile(const Table &set, const QString &caption)
{
    const QString fileName = QFileDialog::getSaveFileName(this, caption);
    if (!fileName.isEmpty())
        writeParameterFile(set, fileName);
}

void Kalvex::openFile() { readParameterFile(ParameterSet::cylinder(), tr("Open Cylinder Data File")); }
void Kalvex::saveCylData() { saveParameterFile(ParameterSet::cylinder(), tr("Save Cylinder Data File")); }
void Kalvex::startSaveCylData() { writeCylinderFile(QLatin1String(formats::caselayout::cylinderInput)); }
void Kalvex::getValveData() { readParameterFile(ParameterSet::valves(), tr("Open Valve Data File")); }
void Kalvex::saveValveData() { saveParameterFile(ParameterSet::valves(), tr("Save Valve Data File")); }
void Kalvex::startSaveValveData() { writeValveFile(QLatin1String(formats::caselayout::valveInput)); }

bool Kalvex::writeCylinderFile(const QString &fileName)
{
    return writeParameterFile(ParameterSet::cylinder(), fileName);
}

bool Kalvex::writeValveFile(const QString &fileName)
{
    return writeParameterFile(ParameterSet::valves(), fileName);
}
