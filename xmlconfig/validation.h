#pragma once
// Whether a value typed for a property or for an element's text is acceptable
// under its schema element, and the message the editor shows when it is not.
#include <wx/string.h>

class wxXmlNode;

// The message for `value` under the "property" or "content" schema element, or
// an empty string when the value is acceptable:
//   required      empty, and the element is not "optional"
//   "integer"     a whole base-10 number that fits a long (leading blanks and a
//                 sign allowed, nothing after it)
//   "real"        a decimal number with a point, whatever the locale: digits,
//                 an optional fraction and exponent (leading blanks and a sign
//                 allowed; no "inf", "nan" or hexadecimal forms)
//   "fs:file"     an existing file; "fs:directory" an existing folder
//                 (relative to the current folder)
// Other types take any value. An empty optional value is never checked.
wxString validationMessage(const wxXmlNode* schemaElement, const wxString& value);
