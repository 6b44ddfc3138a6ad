#pragma once
// References in schema texts: "${name}" stands for the attribute "name" of the
// settings element the text describes (as its declaration says to show it),
// "$@" for the element's text. Texts are narrow strings (UTF-8) here.
#include <exception>
#include <string>

class wxXmlNode;

// Ends a substitution: the text keeps what was replaced before it.
class varSubstException : public std::exception {
public:
    const char* what() const noexcept override { return "varSubstException"; }
};

// Gives the values of references.
class varSubstitution {
public:
    // For "${name}".
    virtual std::string substituteVariable(const std::string& name) = 0;
    // For "$" followed by the character.
    virtual std::string substituteFunction(char c) = 0;
    virtual ~varSubstitution() = default;
};

class varSubst {
public:
    // Rewrites the text in place; may throw varSubstException.
    virtual void substitute(std::string& text) = 0;
    virtual ~varSubst() = default;
};

// Scans for references and asks its resolver (which it owns) for their values.
// Inserted values are not scanned again. A text that ends inside a reference
// throws varSubstException.
class varSubstFn : public varSubst {
public:
    explicit varSubstFn(varSubstitution* resolver);
    ~varSubstFn() override;
    varSubstFn(const varSubstFn&) = delete;
    varSubstFn& operator=(const varSubstFn&) = delete;
    void substitute(std::string& text) override;

private:
    varSubstitution* resolver;
};

// Values from a settings element and its declaration: "$@" is the element's
// text; "${name}" its attribute as the declaration's property presents it
// (a substitution for an empty value, a pattern, an option's substitution
// value). An attribute no usable property describes gives its value as it is. Any
// other "$" character throws.
class xmlPropertySubstitution : public varSubstitution {
public:
    xmlPropertySubstitution(const wxXmlNode* element, const wxXmlNode* declaration);
    std::string substituteVariable(const std::string& name) override;
    std::string substituteFunction(char c) override;

private:
    const wxXmlNode* element;
    const wxXmlNode* declaration;
};

// Expands the references of `text` against the element; never fails (a broken
// reference ends the expansion there, the rest stays as written).
void substituteReferences(const wxXmlNode* element, const wxXmlNode* declaration, std::string& text);
