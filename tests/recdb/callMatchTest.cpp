#include <gtest/gtest.h>

#include "recdb/callMatch.h"
#include "recdb/timeline.h"

TEST(callMatchTest, queriesAgainstLabels)
{
    const struct {
        const char* query;
        const char* label;
        bool matches;
    } cases[] = {
        // Whole labels, wildcards, letters in either case, UTF-8 characters as one.
        {"0301234", "0301234", true},
        {"0301234", "03012345", false},
        {"0301234*", "03012345", true},
        {"*234*", "0301234567", true},
        {"03?1234", "0301234", true},
        {"03?1234", "031234", false},
        {"m?ller", "Müller", true},
        {"MÜLLER", "müller", false}, // only ASCII letters are folded
        {"front*", "Front desk", true},
        {"*", "", true},
        {"?", "", false},
        {"*****", "anything", true},
        {"a*b*c*d", "axxbxxcxxd", true},
        {"a*b*c*d", "axxbxxcxx", false},
        // Numbers written differently find each other.
        {"+49 30 123", "004930123", true},
        {"004930123", "+49 (30) 123", true},
        {"0049-30-1*", "+49.30.123", true},
        {"+4930*", "0049 30 99", true},
        {"+4930*", "4930 99", false},
        {"30 123", "Desk 30123", false}, // a label with letters is no number
        // Alternatives and exclusions.
        {"111, 222", "222", true},
        {"111,,222 ,", "333", false},
        {"0301234*, !*999", "0301234999", false},
        {"0301234*, !*999", "0301234000", true},
        {"!*999", "12345", true},
        {"!*999", "12999", false},
        {"!", "x", true},
        {"", "x", true},
        {" , ", "x", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.matches, callQuery(c.query).matches(c.label)) << "'" << c.query << "' on '" << c.label << "'";
    EXPECT_TRUE(callQuery("").empty());
    EXPECT_TRUE(callQuery(" ,!, ").empty());
    EXPECT_FALSE(callQuery("!1").empty());
}

// The patterns that make a backtracking matcher take exponential time (it
// would not end within the test's time limit).
TEST(callMatchTest, hostilePatternsTakeNoLongerThanTheirLength)
{
    const std::string label(60, 'a');
    std::string stars;
    for (int i = 0; i < 5000; ++i)
        stars += "a*";
    const std::string longPatterns[] = {std::string(10000, '*') + "b", stars + "b", std::string(10000, '?'),
                                        std::string(10000, 'a')};
    for (const std::string& pattern : longPatterns)
        EXPECT_FALSE(callQuery::patternMatches(pattern, label));
    EXPECT_TRUE(callQuery::patternMatches(std::string(10000, '*'), label));
}

TEST(callMatchTest, lengthBoundsAreInclusive)
{
    recording r;
    r.start = wxDateTime(wxLongLong(1700000000000LL));
    r.end = wxDateTime(wxLongLong(1700000060000LL)); // one minute
    const struct {
        double minLength, maxLength;
        bool matches;
    } cases[] = {{-1, -1, true}, {60, -1, true}, {61, -1, false}, {-1, 60, true}, {-1, 59, false}, {60, 60, true}};
    for (const auto& c : cases) {
        callFilter filter;
        filter.minLength = c.minLength;
        filter.maxLength = c.maxLength;
        EXPECT_EQ(c.matches, filter.matches(r)) << c.minLength << " to " << c.maxLength;
    }
}
