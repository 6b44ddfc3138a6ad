#pragma once
// The start of a call as a catalog gives it, worked out from the texts of its
// "date" and "time" elements. Internal to recdb.
//
// The instant those texts mean depends on the time zone and its rules, and a
// "time" without a "date" on the day the catalog is read. So the index does not
// keep instants: the clock can note how a start was written (its texts, in
// document order) and replay that note later, here and now, to the very value
// a fresh read would give.
#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>

#include <wx/datetime.h>

#include "recdb/catalogRules.h"
#include "recdb/littleEndian.h"
#include "recdb/localCalendar.h"

namespace catalogRules {
// The local date and time of a call, kept as wx keeps it (a wxDateTime), with
// a fast path for the usual case: exactly eight or six digits, a valid date in
// a year the local clock's rules are known for, on a day of 24 hours. Anything
// else goes through wx's own parsing, so the rules stay wx's.
class callClock {
public:
    // With `noting`, every text given is noted (see note()).
    explicit callClock(bool noting_ = false) : noting(noting_) {}

    void reset()
    {
        value = wxDateTime();
        fieldsKnown = false;
        fromToday = false;
        written.clear();
    }

    void date(const std::string& text)
    {
        if (noting)
            noteText(text, 8, 'd', 'D');
        int year, month, day;
        if (text.size() == 8 && digits(text, 0, 4, year) && digits(text, 4, 2, month) && digits(text, 6, 2, day) &&
            year > 1970 && year < 2037 && isValidDate(year, month, day) && (fieldsKnown || !value.IsValid())) {
            civilDate d;
            d.year = year;
            d.month = month;
            d.day = day;
            std::int64_t dayNumber = dayNumberOf(d);
            std::int64_t midnight;
            if (normalDay(dayNumber, midnight)) {
                // With nothing parsed before, wx starts from midnight.
                const std::int64_t ofDay = value.IsValid() ? secondOfDay : 0;
                set(dayNumber, ofDay, midnight);
                fromToday = false;
                return;
            }
        }
        slow(text, "%Y%m%d");
    }

    void time(const std::string& text)
    {
        if (noting)
            noteText(text, 6, 't', 'T');
        int hour, minute, second;
        if (fieldsKnown && text.size() == 6 && digits(text, 0, 2, hour) && digits(text, 2, 2, minute) &&
            digits(text, 4, 2, second) && hour < 24 && minute < 60 && second < 60) {
            set(day, hour * 3600 + minute * 60 + second, dayMidnight);
            return;
        }
        slow(text, "%H%M%S");
    }

    const wxDateTime& get() const { return value; }

    // Whether the start since the last reset lies on the day the catalog is
    // read: a "time" came without a "date" that could be read. Such a start
    // means another instant tomorrow.
    bool leansOnToday() const { return fromToday; }

    // How the start since the last reset was written: per text a kind byte,
    // then for the usual all-digit texts ('d' eight, 't' six) their value in
    // four bytes, else ('D', 'T') the text's length in four bytes and the text.
    const std::string& note() const { return written; }

    // Resets and gives the clock the texts of a note again. False, with the
    // clock in no particular state, when the note is damaged.
    bool replay(const char* at, std::size_t size)
    {
        reset();
        const char* end = at + size;
        std::string text;
        while (at != end) {
            const char kind = *at++;
            if (end - at < 4)
                return false;
            std::uint32_t number = static_cast<std::uint32_t>(getLittleEndian(at, 4));
            at += 4;
            if (kind == 'd' || kind == 't') {
                const std::size_t width = kind == 'd' ? 8 : 6;
                if (number >= (kind == 'd' ? 100000000u : 1000000u))
                    return false;
                text.assign(width, '0');
                for (std::size_t i = width; i-- > 0; number /= 10)
                    text[i] = static_cast<char>('0' + number % 10);
            } else if (kind == 'D' || kind == 'T') {
                if (static_cast<std::size_t>(end - at) < number)
                    return false;
                text.assign(at, number);
                at += number;
            } else {
                return false;
            }
            if (kind == 'd' || kind == 'D')
                date(text);
            else
                time(text);
        }
        return true;
    }

private:
    static bool digits(const std::string& text, size_t at, size_t count, int& out)
    {
        out = 0;
        for (size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            out = out * 10 + (text[i] - '0');
        }
        return true;
    }

    void noteText(const std::string& text, std::size_t width, char usual, char other)
    {
        std::uint32_t n = 0;
        bool allDigits = text.size() == width;
        for (std::size_t i = 0; allDigits && i < width; ++i) {
            allDigits = text[i] >= '0' && text[i] <= '9';
            n = n * 10 + static_cast<std::uint32_t>(text[i] - '0');
        }
        if (allDigits) {
            written += usual;
            putLittleEndian(written, n, 4);
        } else {
            written += other;
            putLittleEndian(written, std::min<std::size_t>(text.size(), 0xFFFFFFFFu), 4);
            written.append(text, 0, std::min<std::size_t>(text.size(), 0xFFFFFFFFu));
        }
    }

    bool normalDay(std::int64_t dayNumber, std::int64_t& midnight)
    {
        auto found = days.find(dayNumber);
        if (found == days.end()) {
            std::int64_t begin = localMidnight(dayNumber);
            bool normal = localMidnight(dayNumber + 1) - begin == 86400;
            found = days.emplace(dayNumber, normal ? begin : std::numeric_limits<std::int64_t>::min()).first;
        }
        midnight = found->second;
        return midnight != std::numeric_limits<std::int64_t>::min();
    }

    void set(std::int64_t dayNumber, std::int64_t ofDay, std::int64_t midnight)
    {
        day = dayNumber;
        dayMidnight = midnight;
        secondOfDay = ofDay;
        fieldsKnown = true;
        value = wxDateTime(wxLongLong(static_cast<wxInt64>((midnight + ofDay) * 1000)));
    }

    void slow(const std::string& text, const char* format)
    {
        wxDateTime before = value;
        parseInto(value, wxString::FromUTF8Unchecked(text.data(), text.size()), format);
        if (value != before || !value.IsValid())
            fieldsKnown = false; // its local fields are wx's business now
        if (value.IsValid() && (value != before || !before.IsValid())) {
            // A date read sets the day whatever went before; a time read
            // into nothing takes today's date.
            if (format[1] == 'Y')
                fromToday = false;
            else if (!before.IsValid())
                fromToday = true;
        }
    }

    bool noting;
    std::string written;
    wxDateTime value;
    bool fieldsKnown = false;
    bool fromToday = false;
    std::int64_t day = 0, dayMidnight = 0, secondOfDay = 0;
    std::unordered_map<std::int64_t, std::int64_t> days; // day number -> midnight, or min for odd days
};
}
