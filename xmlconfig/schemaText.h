#pragma once
// The texts the editor shows for schema elements, each with the processing it
// gets: some are unescaped ("\n", "\t", "\\"), some have their references
// expanded against the settings element they describe (unescaping first, so a
// value never turns into an escape), some are shown as written.
#include <wx/string.h>

class wxXmlNode;

// "\n" becomes a line feed, then "\t" a tab, then "\\" one backslash, each
// rule over the whole text in that order.
wxString unescapeText(const wxString& text);

// The text a panel is measured with: attribute "sample-X", else X, else
// "Sample text".
wxString sampleText(const wxXmlNode* schemaElement, const wxString& attribute);

// For a settings element and its declaration:
wxString itemLabel(const wxXmlNode* element, const wxXmlNode* declaration);     // the tree item
wxString itemTooltip(const wxXmlNode* element, const wxXmlNode* declaration);   // empty: none
wxString itemCaption(const wxXmlNode* element, const wxXmlNode* declaration);   // top of the panel
wxString panelComment(const wxXmlNode* element, const wxXmlNode* declaration);  // below the caption
wxString windowCaption(const wxXmlNode* root, const wxXmlNode* declaration);    // empty: keep the title
wxString propertyLabel(const wxXmlNode* element, const wxXmlNode* declaration, const wxXmlNode* property);

// Texts that describe no particular element:
wxString choiceLabel(const wxXmlNode* declaration);       // offered for insertion or replacement
wxString newItemTooltip(const wxXmlNode* declaration);    // of the insertion item
wxString newItemLabel(const wxXmlNode* declaration);      // the insertion item itself
wxString templateLabel(const wxXmlNode* templateElement);
wxString propertyTooltip(const wxXmlNode* property);      // row label and value widget
