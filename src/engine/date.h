#pragma once
// Calendar dates as dBase stores them: "YYYYMMDD" in a D field, eight blanks
// for an empty date; index keys use the Julian day number.

#include <compare>
#include <string>
#include <string_view>

namespace kvzt::engine {

struct Date {
    int year = 0;  // 0 = empty date
    int month = 0;
    int day = 0;

    bool isNull() const { return year == 0 && month == 0 && day == 0; }
    bool isValid() const;  // a real calendar date (years 1..9999)

    // "YYYYMMDD" → date; blanks or anything unreadable → empty date.
    static Date fromDbf(std::string_view text);
    // Eight characters: "YYYYMMDD", or eight blanks for an empty date.
    std::string toDbf() const;
    // "dd.mm.yyyy", empty text for an empty date.
    std::string toDisplay() const;
    // "dd.mm.yyyy" → date; empty date when the text is not one.
    static Date fromDisplay(std::string_view text);

    // Julian day number (1950-01-01 = 2433283); 0 for an empty date.
    long julianDay() const;
    static Date fromJulianDay(long jd);

    auto operator<=>(const Date&) const = default;
};

}  // namespace kvzt::engine
