// The cylinder and valve data files as the front end reads them: any bytes,
// through both tables, and the check that a set reads back as written.
#include "params/parameterfile.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const ParameterSet::Table *set : {&ParameterSet::cylinder(), &ParameterSet::valves()}) {
        QBuffer file;
        file.setData(bytes);
        file.open(QIODevice::ReadOnly);
        const ParameterFile::FieldTexts texts = ParameterFile::read(*set, file);
        QString problem;
        ParameterFile::readsBack(*set, texts, &problem);
        for (const ParameterSet::Entry &entry : *set)
            for (const Parameter key : entry.keys())
                ParameterFile::valueText(entry, texts.value(key));
    }
    return 0;
}
