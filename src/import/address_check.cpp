#include "import/address_check.h"

#include "data/text_helpers.h"

namespace kvzt::import {

namespace {

constexpr int kItemWidth = 40;

bool isDigits(const QString& item, int count) {
    return data::CharsInRange(item, count, QLatin1Char('0'), QLatin1Char('9'));
}

bool isAddressText(const QString& item) { return data::LettersOrAllowed(item, kAddressTextChars); }

// The first item that breaks a rule, or 0.
int firstBadItem(const QString& adres) {
    auto item = [&](int n) { return data::GetField(adres, n).left(kItemWidth); };
    auto given = [](const QString& text) { return !data::IsBlank(text); };

    const QString country = item(1);
    if (given(country) && !isDigits(country, 3)) return 1;

    const QString index = item(2);
    if (given(index) && !isDigits(index, 6)) return 2;

    const QString region = item(3);
    const bool hasRegion = given(region);
    if (hasRegion && !isDigits(region, 2)) return 3;
    const bool federalCity = region == QLatin1String("77") || region == QLatin1String("78");

    const QString district = item(4);
    const bool hasDistrict = given(district);
    if (hasDistrict && (!hasRegion || federalCity || !isAddressText(district))) return 4;

    const QString city = item(5);
    const bool hasCity = given(city);
    if (hasCity && !isAddressText(city)) return 5;
    if (!hasCity && !hasRegion) return 5;

    const QString locality = item(6);
    const bool hasLocality = given(locality);
    if (hasLocality && !isAddressText(locality)) return 6;
    if (!hasLocality && hasDistrict && !hasCity) return 6;

    const QString street = item(7);
    if (given(street)) {
        if (!federalCity && !hasCity && !hasLocality) return 7;
        if (!isAddressText(street)) return 7;
    } else if (!hasLocality && !hasCity) {
        return 7;
    }

    const bool hasHouse = given(item(8));
    if (!hasHouse) return 8;
    if (!federalCity && !hasCity && !hasLocality) return 8;

    if (given(item(9)) && !hasHouse) return 9;
    if (given(item(10)) && !hasHouse) return 10;
    return 0;
}

}  // namespace

int CheckAddress(const QString& adres, const QString& inn, bool check) {
    if (!check) return 0;
    const int bad = firstBadItem(adres);
    if (bad != 0 && !data::IsBlank(inn) && data::LastFilledItem(adres) == 0) return 0;
    return bad;
}

}  // namespace kvzt::import
