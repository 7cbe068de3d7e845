#pragma once

#include <QString>

class QWidget;

// Message boxes shared by the slots.
namespace Messages {

// "Fehler beim Öffnen": a file could not be opened or written.
void fileError(QWidget *parent, const QString &fileName, const QString &reason);

// A warning whose text explains what went wrong and what to fix.
void warning(QWidget *parent, const QString &title, const QString &text);

} // namespace Messages
