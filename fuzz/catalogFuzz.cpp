// parseCatalog on a document parsed from the input, as loadCatalog reads a
// day's catalog file.
#include <cstdint>
#include <limits>
#include <vector>

#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include "recdb/catalog.h"

#include "fuzzSupport.h"

void fuzzCatalog(const std::uint8_t* data, std::size_t size)
{
    wxMemoryInputStream in(data, size);
    wxXmlDocument document;
    if (!document.Load(in, "UTF-8") || !document.GetRoot())
        return;
    std::vector<recording> list;
    parseCatalog(document.GetRoot(), list);
    for (const recording& r : list) {
        // A recording never ends before it starts, nor lasts beyond the cap.
        if (!r.start.IsValid()) {
            FUZZ_CHECK(!r.end.IsValid(), "an end without a start");
            continue;
        }
        FUZZ_CHECK(r.end.IsValid(), "a start without an end");
        const wxLongLong seconds = (r.end - r.start).GetSeconds();
        FUZZ_CHECK(seconds >= 0 && seconds <= std::numeric_limits<std::int32_t>::max(),
                   std::string(r.start.FormatISOCombined().utf8_str()) + " lasts " +
                       std::string(seconds.ToString().utf8_str()) + " s");
        FUZZ_CHECK(r.properties.count("label") && r.properties.count("filename"), "label and file name");
    }
}
