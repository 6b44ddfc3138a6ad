#pragma once
// Checks a settings document against its schema as the configuration editor
// would: every element must be declared where it stands, and every value the
// editor shows must pass its checks.
#include <string>
#include <vector>

class wxXmlNode;

struct settingsProblem {
    std::string path;    // the element, e.g. /orvista/startup/line[2] (or /schema/node[3])
    std::string message; // as the editor words it
};

std::vector<settingsProblem> checkSettings(const wxXmlNode* settingsRoot, const wxXmlNode* schemaRoot);

// What of the schema itself the editor leaves out, with paths into the schema:
// node declarations without a valid XML name, properties without one or
// with the name of an earlier property of their node, templates that hold no
// element to insert.
std::vector<settingsProblem> checkSchema(const wxXmlNode* schemaRoot);
