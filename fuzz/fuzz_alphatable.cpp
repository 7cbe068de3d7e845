// The heat-transfer coefficients: any bytes as a head, piston or side result
// file, sampled and turned into a table line. A coefficient is a number or
// NaN (a gap in the diagram), never an infinity.
#include "post/alphacoefficient.h"

#include "fuzzinput.h"

#include <QBuffer>

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // The sample case's gas: air-like, d_P 0.68 m.
    const AlphaCoefficient::Gas gas = AlphaCoefficient::makeGas(0.68, 1.4, 28.96, 1.8e-5);
    AlphaCoefficient::Row row;
    for (std::size_t i = 0; i < AlphaCoefficient::surfaces.size(); ++i) {
        QBuffer file;
        file.setData(bytes);
        file.open(QIODevice::ReadOnly | QIODevice::Text);
        const AlphaCoefficient::SurfaceSample sample = AlphaCoefficient::readSample(file, AlphaCoefficient::surfaces[i]);
        row[i] = AlphaCoefficient::coefficient(sample, gas);
        fuzz::require(!std::isinf(row[i]), "a heat-transfer coefficient is never infinite");
    }
    AlphaCoefficient::tableLine(1, row);
    return 0;
}
