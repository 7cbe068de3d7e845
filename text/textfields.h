#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>

// The field splitting of every data file (formats/textfields.h): a line
// splits into fields at runs of white space and at "="; empty fields are
// dropped. Fields are counted from 1.
namespace TextFields {

QStringList splitFields(const QString &line);

// Field number `oneBased` as a double; 0 when it is missing or not a number.
double number(const QStringList &fields, int oneBased, bool *ok = nullptr);

// Field number `oneBased` as a decimal integer; 0 when missing or not one.
int integer(const QStringList &fields, int oneBased, bool *ok = nullptr);

// The same for lines read as bytes, with the fields kept as views into the
// line: no copies, for files of many thousand lines. White space is ASCII's.
using FieldViews = QVarLengthArray<QByteArrayView, 16>;
void splitFields(QByteArrayView line, FieldViews *fields);
double number(const FieldViews &fields, int oneBased, bool *ok = nullptr);
int integer(const FieldViews &fields, int oneBased, bool *ok = nullptr);

} // namespace TextFields
