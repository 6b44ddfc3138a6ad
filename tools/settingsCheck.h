#pragma once
// Checks a settings document against its schema as the configuration editor
// would: every element must be declared where it stands, and every value the
// editor shows must pass its checks.
#include <string>
#include <vector>

class wxXmlNode;

struct settingsProblem {
    std::string path;    // the element, e.g. /orvista/startup/line[2]
    std::string message; // as the editor words it
};

std::vector<settingsProblem> checkSettings(const wxXmlNode* settingsRoot, const wxXmlNode* schemaRoot);
