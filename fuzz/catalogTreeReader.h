#pragma once
// The plain reading of a catalog: wx's document tree, walked. The program reads
// catalogs with the streaming reader (readCatalog); this one stays as the
// reference it must answer like, for the fuzz targets, the tests and the
// benchmark. It builds its recordings with the same rules (catalogRules.h).
#include <cstddef>
#include <cstdint>
#include <vector>

#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include "platform/narrow.h"
#include "recdb/catalogRules.h"

namespace catalogTree {
struct callValues {
    wxDateTime start;
    std::uint64_t dataSize = 0;
    std::uint32_t sampleRate = 0;
    wxString number;
    wxString fileName;
};

inline void readAudioHeader(const wxXmlNode* header, callValues& call)
{
    for (const wxXmlNode* item = header->GetChildren(); item; item = item->GetNext()) {
        if (item->GetName() == "data_size")
            call.dataSize = catalogRules::leadingNumber<std::uint64_t>(item->GetNodeContent());
        else if (item->GetName() == "sample_rate")
            call.sampleRate = catalogRules::leadingNumber<std::uint32_t>(item->GetNodeContent());
    }
}

inline void readLoggerHeader(const wxXmlNode* header, callValues& call)
{
    for (const wxXmlNode* item = header->GetChildren(); item; item = item->GetNext()) {
        const wxString& name = item->GetName();
        if (name == "date")
            catalogRules::parseInto(call.start, item->GetNodeContent(), "%Y%m%d");
        else if (name == "time")
            catalogRules::parseInto(call.start, item->GetNodeContent(), "%H%M%S");
        else if (name == "number")
            call.number = item->GetNodeContent();
        else if (name == "file_name")
            call.fileName = item->GetNodeContent();
    }
}
}

// Appends one recording per "file" element of a "vmk_catalog" root, in order.
inline void parseCatalog(const wxXmlNode* root, std::vector<recording>& list)
{
    using namespace catalogTree;
    if (!root || root->GetName() != "vmk_catalog")
        return;
    catalogRules::catalogBuilder builder;
    for (const wxXmlNode* file = root->GetChildren(); file; file = file->GetNext()) {
        if (file->GetType() != wxXML_ELEMENT_NODE || file->GetName() != "file")
            continue;
        callValues call;
        for (const wxXmlNode* hdr = file->GetChildren(); hdr; hdr = hdr->GetNext()) {
            if (hdr->GetName() != "hdr")
                continue;
            for (const wxXmlNode* part = hdr->GetChildren(); part; part = part->GetNext()) {
                if (part->GetName() == "au_hdr")
                    readAudioHeader(part, call);
                else if (part->GetName() == "vmk_hdr")
                    readLoggerHeader(part, call);
            }
        }
        builder.add(call.start, catalogRules::durationOf(call.dataSize, call.sampleRate), toNarrow(call.number),
                    toNarrow(call.fileName));
    }
    builder.finish(list);
}

// A catalog's bytes through wx's loader and parseCatalog; false when wx does
// not take them for well-formed XML.
inline bool parseCatalogTree(const void* bytes, std::size_t size, std::vector<recording>& list)
{
    wxMemoryInputStream in(bytes, size);
    wxXmlDocument document;
    const bool wellFormed = document.Load(in, "UTF-8");
    if (wellFormed && document.GetRoot())
        parseCatalog(document.GetRoot(), list);
    return wellFormed;
}
