// A day's catalog read both ways: the streaming reader loadCatalog uses must
// give exactly what parseCatalog gives on wx's document tree, and the compact
// form kept in the index must give it back.
#include <cstdint>
#include <limits>
#include <vector>

#include "recdb/catalog.h"

#include "catalogTreeReader.h"
#include "fuzzSupport.h"

namespace {
std::string describe(const std::vector<recording>& list)
{
    std::string text;
    for (const recording& r : list)
        text += std::to_string(r.start.IsValid() ? r.start.GetValue().GetValue() : -1) + " " +
                std::to_string(r.end.IsValid() ? r.end.GetValue().GetValue() : -1) + " [" + r.label() + "] [" +
                r.fileName() + "]\n";
    return text;
}
}

void fuzzCatalog(const std::uint8_t* data, std::size_t size)
{
    std::vector<recording> list;
    const bool wellFormed = parseCatalogTree(data, size, list);

    std::vector<recording> streamed;
    std::string error;
    std::string packed;
    const bool read = readCatalog(reinterpret_cast<const char*>(data), size, streamed, error, &packed);
    FUZZ_CHECK(read == wellFormed, "the streaming reader and wx disagree on well-formedness: " + error);
    FUZZ_CHECK(describe(list) == describe(streamed),
               "the streaming reader differs:\n" + describe(list) + "---\n" + describe(streamed));
    std::vector<recording> unpacked;
    FUZZ_CHECK(!read || (unpackCatalog(packed.data(), packed.size(), unpacked) &&
                         describe(unpacked) == describe(streamed)),
               "the compact form does not give the catalog back");

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
