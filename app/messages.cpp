#include "messages.h"

#include "kalvex.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace Messages {

void fileError(QWidget *parent, const QString &fileName, const QString &reason)
{
    QMessageBox::warning(parent,
                         Kalvex::tr("Fehler beim Öffnen"),
                         Kalvex::tr("Datei nicht in Datei schreiben %1:\n%2.")
                             .arg(fileName, reason),
                         QMessageBox::Ok, QMessageBox::NoButton);
}

void warning(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::warning(parent, title, text, QMessageBox::Ok, QMessageBox::NoButton);
}

} // namespace Messages
