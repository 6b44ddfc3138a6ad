#pragma once
// Reading a day's catalog ("vmk_catalog" XML) into recordings.
#include <vector>

#include "recdb/timeline.h"

class wxXmlNode;

// Loads the entry's catalog unless it was loaded before. A catalog that cannot
// be read leaves the entry with an empty list (the XML loader reports why
// through the log) and is not read again.
void loadCatalog(catalogEntry& entry);

// Appends one recording per "file" element of a "vmk_catalog" root, in order.
void parseCatalog(const wxXmlNode* root, std::vector<recording>& list);
