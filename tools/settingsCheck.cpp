#include "tools/settingsCheck.h"

#include <wx/xml/xml.h>

#include "xmlconfig/schemaModel.h"
#include "xmlconfig/validation.h"

namespace {
// The element's step in its path: its name, with its place among the
// siblings of that name when it has any.
std::string step(const wxXmlNode* element)
{
    std::string name = element->GetName().utf8_string();
    const wxXmlNode* parent = element->GetParent();
    if (!parent || parent->GetType() != wxXML_ELEMENT_NODE)
        return "/" + name;
    int index = 0, count = 0;
    for (const wxXmlNode* c : elementChildren(parent)) {
        if (c->GetName() != element->GetName())
            continue;
        ++count;
        if (c == element)
            index = count;
    }
    return "/" + name + (count > 1 ? "[" + std::to_string(index) + "]" : std::string());
}

class checker {
public:
    explicit checker(const wxXmlNode* schemaRoot) : model(schemaRoot) {}

    void check(const wxXmlNode* element, const wxXmlNode* parentDeclaration, std::size_t index,
               const std::string& parentPath)
    {
        const std::string path = parentPath + step(element);
        const wxXmlNode* declaration =
            model.lookupDeclaration(model.allowedSetAt(parentDeclaration, index), element->GetName().utf8_string());
        if (!declaration) {
            problems.push_back({path, "No declaration of the schema describes this element here."});
            return;
        }
        for (const wxXmlNode* e : elementChildren(declaration)) {
            wxString message;
            if (e->GetName() == "property" && !schemaFlag(e, "ignore"))
                message = validationMessage(e, element->GetAttribute(e->GetAttribute("name")));
            else if (e->GetName() == "content")
                message = validationMessage(e, element->GetNodeContent());
            if (!message.empty())
                problems.push_back({path, message.utf8_string()});
        }
        const wxString model = declaration->GetAttribute("children", "none");
        if (model != "sequence" && model != "strict-sequence")
            return; // children the editor neither shows nor checks
        std::size_t i = 0;
        for (const wxXmlNode* child : elementChildren(element))
            check(child, declaration, i++, path);
    }

    SchemaModel model;
    std::vector<settingsProblem> problems;
};
}

std::vector<settingsProblem> checkSettings(const wxXmlNode* settingsRoot, const wxXmlNode* schemaRoot)
{
    checker c(schemaRoot);
    if (settingsRoot)
        c.check(settingsRoot, nullptr, 0, "");
    return c.problems;
}
