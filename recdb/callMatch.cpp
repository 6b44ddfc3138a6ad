#include "recdb/callMatch.h"

#include "recdb/timeValue.h"
#include "recdb/timeline.h"

namespace {
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string trimmed(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool isSeparator(char c)
{
    return c == ' ' || c == '-' || c == '.' || c == '/' || c == '(' || c == ')';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The digits (and, in a pattern, the wildcards) of text written as a phone
// number, a leading "+" as "00"; empty when the text is not one.
std::string numberForm(const std::string& text, bool wildcards)
{
    std::string digits;
    bool anyDigit = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            digits += c;
            anyDigit = true;
        } else if (wildcards && (c == '*' || c == '?')) {
            digits += c;
        } else if (c == '+' && digits.empty() && !anyDigit) {
            digits += "00";
        } else if (!isSeparator(c)) {
            return std::string();
        }
    }
    return anyDigit ? digits : std::string();
}

char folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The position after the character that starts at `at` (UTF-8; a stray
// continuation byte counts as a character of its own).
size_t nextCharacter(const std::string& text, size_t at)
{
    const bool lead = (static_cast<unsigned char>(text[at]) & 0xC0) == 0xC0;
    ++at;
    while (lead && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
        ++at;
    return at;
}

// The whole of `text` against a pattern of "*", "?" and literal characters.
// Only the last "*" is ever returned to, so the time is at most the product of
// the two lengths, whatever the pattern: no run of stars or of "?" can make it
// explode.
bool glob(const std::string& pattern, const std::string& text)
{
    const size_t none = std::string::npos;
    size_t p = 0, t = 0, starP = none, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starT = t;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            t = nextCharacter(text, t);
        } else if (p < pattern.size() && folded(pattern[p]) == folded(text[t])) {
            ++p;
            ++t;
        } else if (starP != none) {
            p = starP;
            t = starT = nextCharacter(text, starT);
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}
}

callQuery::callQuery(const std::string& text)
{
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find(',', begin);
        if (end == std::string::npos)
            end = text.size();
        std::string item = trimmed(text.substr(begin, end - begin));
        const bool exclude = !item.empty() && item[0] == '!';
        if (exclude)
            item = trimmed(item.substr(1));
        if (!item.empty())
            (exclude ? excluded : wanted).push_back(compile(item));
        begin = end + 1;
    }
}

callQuery::pattern callQuery::compile(const std::string& text)
{
    pattern p;
    for (char c : text)
        if (c != '*' || p.text.empty() || p.text.back() != '*')
            p.text += c;
    p.number = numberForm(p.text, true);
    return p;
}

bool callQuery::matchesOne(const pattern& p, const std::string& label, const std::string& labelNumber)
{
    return glob(p.text, label) || (!p.number.empty() && !labelNumber.empty() && glob(p.number, labelNumber));
}

bool callQuery::matches(const std::string& label) const
{
    const std::string labelNumber = numberForm(label, false);
    bool found = wanted.empty();
    for (const pattern& p : wanted)
        if (matchesOne(p, label, labelNumber)) {
            found = true;
            break;
        }
    if (!found)
        return false;
    for (const pattern& p : excluded)
        if (matchesOne(p, label, labelNumber))
            return false;
    return true;
}

bool callQuery::patternMatches(const std::string& pattern, const std::string& label)
{
    return matchesOne(compile(pattern), label, numberForm(label, false));
}

bool callFilter::matches(const recording& r) const
{
    const double length = toSeconds(r.end) - toSeconds(r.start);
    if ((minLength >= 0 && length < minLength) || (maxLength >= 0 && length > maxLength))
        return false;
    return query.empty() || query.matches(r.label());
}
