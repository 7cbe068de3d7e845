#include "io/pvdwriter.h"

#include "io/inputerror.h"
#include "io/numberformat.h"

#include <system_error>

namespace euler {

void PvdCollection::add(double time, const std::string &relativeFile)
{
    entries_.push_back({time, relativeFile});
    std::string xml = "<?xml version=\"1.0\"?>\n<VTKFile type=\"Collection\" version=\"0.1\">\n  <Collection>\n";
    for (const Entry &e : entries_) {
        xml += "    <DataSet timestep=\"";
        appendNumber(xml, e.time, 10);
        xml += "\" part=\"0\" file=\"" + e.file + "\"/>\n";
    }
    xml += "  </Collection>\n</VTKFile>\n";
    std::filesystem::path temporary = file_;
    temporary += ".part";
    writeFile(temporary, xml);
    std::error_code ec;
    std::filesystem::rename(temporary, file_, ec);
    if (ec)
        throw RunError(RunError::OutputFailed, file_.string() + ": cannot be written: " + ec.message());
}

} // namespace euler
