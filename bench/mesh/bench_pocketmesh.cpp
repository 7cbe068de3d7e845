// Maps a generated pocket mesh of about a million nodes and prints how many
// nodes per second the mapping manages, in memory and file to file.
#include "params/pocketmesh.h"
#include "pocketmeshgen.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const PocketGeometry::Dimensions target{400.0, 120.0, 50.0, 25.0};

double inMemory(const QByteArray &reference, QByteArray *mapped)
{
    QBuffer in;
    in.setData(reference);
    in.open(QIODevice::ReadOnly);
    mapped->clear();
    QBuffer out(mapped);
    out.open(QIODevice::WriteOnly);
    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!PocketMesh::map(in, out, target, &error))
        qFatal("mapping failed: %s", qPrintable(error));
    return timer.nsecsElapsed() * 1e-9;
}

// As the window does it: reference file in, save file out, both in text mode.
double fileToFile(const QString &referenceName, const QString &meshName)
{
    QElapsedTimer timer;
    timer.start();
    QFile in(referenceName);
    QSaveFile out(meshName);
    QString error;
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)
        || !out.open(QIODevice::WriteOnly | QIODevice::Text)
        || !PocketMesh::map(in, out, target, &error) || !out.commit())
        qFatal("mapping failed: %s %s", qPrintable(error), qPrintable(out.errorString()));
    return timer.nsecsElapsed() * 1e-9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    PocketMeshGen::Resolution resolution;
    resolution.square = 41;
    resolution.ring = 20;
    resolution.coneLayers = 80;
    resolution.transitionLayers = 40;
    resolution.pocketLayers = 79;
    const double nodes = double(PocketMeshGen::nodeCount(resolution));
    const QByteArray reference = QByteArray::fromStdString(PocketMeshGen::generate(resolution));

    QTemporaryDir dir;
    const QString referenceName = dir.filePath("reference.msh");
    QFile file(referenceName);
    if (!file.open(QIODevice::WriteOnly) || file.write(reference) != reference.size())
        qFatal("cannot write %s", qPrintable(referenceName));
    file.close();

    std::printf("pocket mesh: %.0f nodes, %.1f MB\n", nodes, reference.size() / 1e6);
    QByteArray mapped;
    double bestMemory = 1e30, bestFile = 1e30;
    for (int run = 0; run < 3; ++run) {
        bestMemory = qMin(bestMemory, inMemory(reference, &mapped));
        bestFile = qMin(bestFile, fileToFile(referenceName, dir.filePath("mapped.msh")));
    }
    std::printf("in memory:    %.3f s, %.2f million nodes/s\n", bestMemory, nodes / bestMemory / 1e6);
    std::printf("file to file: %.3f s, %.2f million nodes/s\n", bestFile, nodes / bestFile / 1e6);
    return 0;
}
