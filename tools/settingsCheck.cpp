#include "tools/settingsCheck.h"

#include <algorithm>

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
        for (const wxXmlNode* p : usableProperties(declaration))
            if (!schemaFlag(p, "ignore"))
                report(path, validationMessage(p, element->GetAttribute(p->GetAttribute("name"))));
        for (const wxXmlNode* e : elementChildren(declaration))
            if (e->GetName() == "content")
                report(path, validationMessage(e, element->GetNodeContent()));
        const wxString childModel = declaration->GetAttribute("children", "none");
        const std::vector<const wxXmlNode*> children = elementChildren(element);
        if (childModel == "sequence") {
            for (const wxXmlNode* child : children)
                check(child, declaration, 0, path);
        } else if (childModel == "strict-sequence") {
            // Each child where the editor shows it: a position left empty
            // does not move the children after it.
            const std::vector<std::size_t> positions = model.strictPositionsOf(children, declaration);
            for (std::size_t i = 0; i < children.size(); ++i)
                check(children[i], declaration, positions[i], path);
        }
        // Other children the editor neither shows nor checks.
    }

    void report(const std::string& path, const wxString& message)
    {
        if (!message.empty())
            problems.push_back({path, message.utf8_string()});
    }

    SchemaModel model;
    std::vector<settingsProblem> problems;
};
}

std::vector<settingsProblem> checkSchema(const wxXmlNode* schemaRoot)
{
    std::vector<settingsProblem> faults;
    if (!schemaRoot)
        return faults;
    const std::string rootPath = step(schemaRoot);
    for (const wxXmlNode* c : elementChildren(schemaRoot)) {
        const std::string path = rootPath + step(c);
        if (c->GetName() == "template" && !templateFragment(c)) {
            faults.push_back({path, "This template holds no element to insert; it is not offered."});
        } else if (c->GetName() == "node" && !isXmlName(c->GetAttribute("name"))) {
            faults.push_back({path, c->HasAttribute("name")
                                        ? "The name of this node declaration is not a valid XML name; it is left out."
                                        : "This node declaration has no name; it is left out."});
        } else if (c->GetName() == "node") {
            const std::vector<const wxXmlNode*> used = usableProperties(c);
            for (const wxXmlNode* p : elementChildren(c)) {
                if (p->GetName() != "property" || std::find(used.begin(), used.end(), p) != used.end())
                    continue;
                const wxString name = p->GetAttribute("name");
                std::string message;
                if (!p->HasAttribute("name"))
                    message = "This property has no name; it is ignored.";
                else if (!isXmlName(name))
                    message = "The name of this property is not a valid XML name; it is ignored.";
                else
                    message = "An earlier property of this node declaration has the name \"" + name.utf8_string() +
                              "\"; this one is ignored.";
                faults.push_back({path + step(p), message});
            }
        }
    }
    return faults;
}

std::vector<settingsProblem> checkSettings(const wxXmlNode* settingsRoot, const wxXmlNode* schemaRoot)
{
    checker c(schemaRoot);
    if (settingsRoot)
        c.check(settingsRoot, nullptr, 0, "");
    return c.problems;
}
