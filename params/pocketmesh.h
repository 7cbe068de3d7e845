#pragma once

#include "pocketgeometry.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// The valve pocket mesh: the solver's input file naming it, and the mapping of
// the shipped reference mesh onto the geometry of the form.
namespace PocketMesh {

// The five lines of "InputPocketMesh.txt", each with a line end ("\n"; the
// device's text mode supplies the platform's line end).
QByteArray inputFileText(const QString &meshFileName);

// Streams the reference mesh line by line into the mapped mesh: node lines are
// rewritten with the mapped coordinates (fixed, six decimals, tab separated),
// the hexahedra and boundary face blocks are copied unchanged, and the last
// line is written without a line end. Returns false with a message when the
// reference is broken (a block shorter than its count, a node line without
// three numbers, a count line without a count), when a node cannot be mapped,
// or when reading or writing fails; the output is then incomplete and must be
// thrown away.
bool map(QIODevice &reference, QIODevice &out, const PocketGeometry::Dimensions &target,
         QString *error);

} // namespace PocketMesh
