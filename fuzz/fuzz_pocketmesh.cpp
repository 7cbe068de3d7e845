// The pocket mesh mapping on arbitrary reference bytes, onto the reference
// geometry and onto a smaller bore. A mapping that reports success must have
// written a node block of finite coordinates.
#include "fuzzinput.h"

#include "params/pocketmesh.h"
#include "params/pocketmeshio.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

namespace {

// The mapped mesh's node block: its count line, then that many lines of three
// numbers (PocketMeshIo reads finite numbers only).
void requireFiniteNodes(const QByteArray &mapped)
{
    QBuffer in;
    in.setData(mapped);
    in.open(QIODevice::ReadOnly);
    PocketMeshIo::LineReader reader(in);
    QByteArrayView line, token;
    qint64 count = 0;
    fuzz::require(reader.next(&line) && PocketMeshIo::nextToken(&line, &token)
                      && PocketMeshIo::toInteger(token, &count) && count >= 0,
                  "a mapped mesh begins with its node count");
    for (qint64 i = 0; i < count; ++i) {
        fuzz::require(reader.next(&line), "a mapped mesh holds every node");
        for (int axis = 0; axis < 3; ++axis) {
            double value = 0;
            fuzz::require(PocketMeshIo::nextToken(&line, &token) && PocketMeshIo::toNumber(token, &value),
                          "a mapped node has three finite coordinates");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray reference = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    PocketGeometry::Dimensions small;
    small.pistonRadius = 120;
    small.pocketRadius = 30;
    small.coneHeight = 10;
    small.pocketHeight = 8;
    for (const PocketGeometry::Dimensions &target : {PocketGeometry::reference(), small}) {
        QBuffer in;
        in.setData(reference);
        in.open(QIODevice::ReadOnly);
        QByteArray mapped;
        QBuffer out(&mapped);
        out.open(QIODevice::WriteOnly);
        QString error;
        if (PocketMesh::map(in, out, target, &error))
            requireFiniteNodes(mapped);
        else
            fuzz::require(!error.isEmpty(), "a refused mapping says why");
    }
    return 0;
}
