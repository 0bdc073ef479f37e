// Writes a made-up pair of address-classifier distribution files, kladr.dbf
// and street.dbf, shaped like the real ones, for tests and benchmarks.
//
//   kvzt-sample-kladr --small DIR   three regions (77, 50, 66) and a stray one, a few hundred records
//   kvzt-sample-kladr --full DIR    every region, about 220,000 kladr and 1,200,000 street records
//
// Layout of the files (dBase III, code page 866, language-driver byte 0):
//   kladr.dbf:  NAME C(40) SOCR C(10) CODE C(13) INDEX C(6) GNINMB C(4) UNO C(4) OCATD C(11) STATUS C(1)
//   street.dbf: NAME C(40) SOCR C(10) CODE C(17) INDEX C(6) GNINMB C(4) UNO C(4) OCATD C(11)
// kladr CODE is SS RRR GGG PPP AA: region, district, town, settlement and
// actuality ("00" current); a part of zeros means the level is absent and a
// region's own record has zeros in all of RRR GGG PPP. street CODE is the
// same eleven digits, the street number UUUU and the actuality. A street-file
// record whose SOCR is "дом" (in any letter case) lists houses of the street
// whose code it shares.
//
// The output depends only on the size chosen: one std::mt19937 with a fixed
// seed, drawn through plain modulo arithmetic, so every standard library
// makes the same bytes (apart from the date in the header).

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/code_page.h"
#include "engine/dbf_file.h"
#include "engine/field_def.h"

namespace {

using kvzt::engine::CodePage;
using kvzt::engine::DbfFile;
using kvzt::engine::FieldDef;

struct Region {
    int code;
    const char* name;
    const char* socr;
};

// Regions of the host's region table.
constexpr Region kRegions[] = {
    {1, "Адыгея", "Респ"}, {2, "Башкортостан", "Респ"}, {3, "Бурятия", "Респ"},
    {4, "Алтай", "Респ"}, {5, "Дагестан", "Респ"}, {6, "Ингушетия", "Респ"},
    {7, "Кабардино-Балкарская", "Респ"}, {8, "Калмыкия", "Респ"},
    {9, "Карачаево-Черкесская", "Респ"}, {10, "Карелия", "Респ"}, {11, "Коми", "Респ"},
    {12, "Марий Эл", "Респ"}, {13, "Мордовия", "Респ"}, {14, "Саха /Якутия/", "Респ"},
    {15, "Северная Осетия - Алания", "Респ"}, {16, "Татарстан", "Респ"}, {17, "Тыва", "Респ"},
    {18, "Удмуртская", "Респ"}, {19, "Хакасия", "Респ"}, {20, "Чеченская", "Респ"},
    {21, "Чувашская Республика -", "Чувашия"}, {22, "Алтайский", "край"},
    {23, "Краснодарский", "край"}, {24, "Красноярский", "край"}, {25, "Приморский", "край"},
    {26, "Ставропольский", "край"}, {27, "Хабаровский", "край"}, {28, "Амурская", "обл"},
    {29, "Архангельская", "обл"}, {30, "Астраханская", "обл"}, {31, "Белгородская", "обл"},
    {32, "Брянская", "обл"}, {33, "Владимирская", "обл"}, {34, "Волгоградская", "обл"},
    {35, "Вологодская", "обл"}, {36, "Воронежская", "обл"}, {37, "Ивановская", "обл"},
    {38, "Иркутская", "обл"}, {39, "Калининградская", "обл"}, {40, "Калужская", "обл"},
    {41, "Камчатский", "край"}, {42, "Кемеровская", "обл"}, {43, "Кировская", "обл"},
    {44, "Костромская", "обл"}, {45, "Курганская", "обл"}, {46, "Курская", "обл"},
    {47, "Ленинградская", "обл"}, {48, "Липецкая", "обл"}, {49, "Магаданская", "обл"},
    {50, "Московская", "обл"}, {51, "Мурманская", "обл"}, {52, "Нижегородская", "обл"},
    {53, "Новгородская", "обл"}, {54, "Новосибирская", "обл"}, {55, "Омская", "обл"},
    {56, "Оренбургская", "обл"}, {57, "Орловская", "обл"}, {58, "Пензенская", "обл"},
    {59, "Пермский", "край"}, {60, "Псковская", "обл"}, {61, "Ростовская", "обл"},
    {62, "Рязанская", "обл"}, {63, "Самарская", "обл"}, {64, "Саратовская", "обл"},
    {65, "Сахалинская", "обл"}, {66, "Свердловская", "обл"}, {67, "Смоленская", "обл"},
    {68, "Тамбовская", "обл"}, {69, "Тверская", "обл"}, {70, "Томская", "обл"},
    {71, "Тульская", "обл"}, {72, "Тюменская", "обл"}, {73, "Ульяновская", "обл"},
    {74, "Челябинская", "обл"}, {75, "Забайкальский", "край"}, {76, "Ярославская", "обл"},
    {77, "Москва", "г"}, {78, "Санкт-Петербург", "г"}, {79, "Еврейская", "Аобл"},
    {83, "Ненецкий", "АО"}, {86, "Ханты-Мансийский Автономный округ - Югра", "АО"},
    {87, "Чукотский", "АО"}, {89, "Ямало-Ненецкий", "АО"}, {91, "Крым", "Респ"},
    {92, "Севастополь", "г"}, {99, "Байконур", "г"},
};

// Former regions that the host's region table no longer has: the import skips them.
constexpr Region kStrayRegions[] = {
    {80, "Агинский Бурятский", "АО"}, {81, "Коми-Пермяцкий", "АО"}, {84, "Таймырский", "АО"},
    {85, "Усть-Ордынский Бурятский", "АО"}, {88, "Эвенкийский", "АО"},
};

bool isCity(int region) { return region == 77 || region == 78 || region == 92 || region == 99; }

// How many objects of each kind a region gets: inclusive ranges.
struct Range {
    int lo, hi;
};

struct Scale {
    Range districts;            // per ordinary region
    Range regionTowns;          // towns under the region itself
    Range districtTowns;        // per district
    Range districtSettlements;  // per district
    Range townSettlements;      // per town
    Range townStreets;          // per town
    Range settlementStreets;    // per settlement
    Range cityStreets;          // streets of a federal city directly under it
    Range citySettlements;      // settlements of a federal city directly under it
    int houseEvery;             // about one house record per this many streets
    int renamedEvery;           // about one former-name record per this many settlements
};

constexpr Scale kSmall{{3, 4}, {1, 2}, {0, 1}, {4, 8}, {0, 2}, {8, 20}, {0, 3}, {40, 80}, {3, 5}, 6, 12};
constexpr Scale kFull{{20, 50},  {2, 8},       {0, 2},       {40, 100}, {0, 6}, {100, 280},
                      {0, 5},    {2000, 5000}, {60, 140},    32,        100};

constexpr const char* kRoots[] = {
    "Берез", "Сосн", "Лип", "Дуб", "Ключ", "Камен", "Полян", "Озер", "Рябин", "Клен",
    "Ольх", "Петр", "Никол", "Михайл", "Алексе", "Васил", "Троиц", "Покр", "Воскрес", "Гор",
    "Луг", "Рыб", "Сокол", "Журавл", "Лебед", "Медвед", "Волч", "Черн", "Бел", "Красн",
};
constexpr const char* kPrefixes[] = {"", "", "", "Ново", "Старо", "Верхне", "Нижне", "Больше", "Мало"};
constexpr const char* kSettlementEnds[] = {"овка", "ово", "ино", "ское", "ки", "ичи", "ец", "ая Горка"};
constexpr const char* kTownEnds[] = {"ск", "ов", "оград", "инск", "огорск", "озаводск"};
constexpr const char* kStreetNames[] = {
    "Ленина", "Мира", "Советская", "Садовая", "Школьная", "Лесная", "Центральная", "Молодежная",
    "Полевая", "Набережная", "Гагарина", "Пушкина", "Заречная", "Луговая", "Октябрьская",
    "Первомайская", "Новая", "Строителей", "Комсомольская", "Зеленая", "Береговая", "Кирова",
    "Рабочая", "Победы", "Чапаева", "Свободы", "Солнечная", "Южная", "Северная", "Мичурина",
};

// Abbreviations by level. Some texts occur at more than one level ("г" is a
// region and a town, "п" a town-level settlement and a village, "тер" and
// "мкр" both settlements and streets), as in the real classifier.
constexpr const char* kTownSocr[] = {"г", "г", "г", "пгт", "рп", "п"};
constexpr const char* kSettlementSocr[] = {"д", "д", "с", "с", "п", "х", "тер", "мкр", "ст"};
constexpr const char* kTownSettlementSocr[] = {"п", "мкр", "тер", "д"};
constexpr const char* kStreetSocr[] = {"ул", "ул", "ул", "ул", "пер", "пер", "пр-кт", "б-р",
                                       "пл", "проезд", "ш", "тер", "мкр", "туп"};
constexpr const char* kVillageStreetSocr[] = {"ул", "ул", "ул", "пер", "тер", "мкр"};

class Generator {
public:
    Generator(const std::string& dir, const Scale& scale) : scale_(scale) {
        kladr_ = createTable(dir + "/kladr.dbf", true);
        street_ = createTable(dir + "/street.dbf", false);
        kladrRecord_.assign(std::size_t(kladr_->recordLength()), ' ');
        streetRecord_.assign(std::size_t(street_->recordLength()), ' ');
    }

    void region(const Region& r, bool stray) {
        region_ = r.code;
        indexBase_ = 100000 + int((std::uint32_t(r.code) * 7919u) % 800u) * 1000;
        okatoRegion_ = 1 + int((std::uint32_t(r.code) * 37u) % 98u);
        okatoSerial_ = 0;
        kladrRow(r.name, r.socr, code(0, 0, 0), "", "0");
        if (stray) {
            // A handful of records so that the skipping is exercised.
            kladrRow("Кудымкарский", "р-н", code(1, 0, 0), gnimb(1), "0");
            settlement(1, 0, 1, kSettlementSocr);
            settlement(1, 0, 2, kSettlementSocr);
            streets(1, 0, 1, Range{2, 3}, kVillageStreetSocr);
            return;
        }
        if (isCity(r.code)) {
            city();
            return;
        }
        int towns = draw(scale_.regionTowns);
        for (int t = 1; t <= towns; ++t) town(0, t, t == 1 ? "2" : "0");
        int districts = draw(scale_.districts);
        for (int d = 1; d <= districts; ++d) district(d);
    }

    void finish() {
        kladr_->close();
        street_->close();
    }

    std::uint32_t kladrCount() const { return kladr_->recordCount(); }
    std::uint32_t streetCount() const { return street_->recordCount(); }

private:
    static std::unique_ptr<DbfFile> createTable(const std::string& path, bool kladr) {
        std::vector<FieldDef> fields = {
            {"NAME", 'C', 40, 0, 0},  {"SOCR", 'C', 10, 0, 0},  {"CODE", 'C', kladr ? 13 : 17, 0, 0},
            {"INDEX", 'C', 6, 0, 0},  {"GNINMB", 'C', 4, 0, 0}, {"UNO", 'C', 4, 0, 0},
            {"OCATD", 'C', 11, 0, 0},
        };
        if (kladr) fields.push_back({"STATUS", 'C', 1, 0, 0});
        DbfFile::create(path, fields, 0);
        return DbfFile::open(path, kvzt::engine::OpenMode::Exclusive);
    }

    // A number in [lo, hi]; the modulo bias is irrelevant here and keeps the
    // sequence the same on every standard library.
    int draw(Range r) { return r.lo + int(rng_() % std::uint32_t(r.hi - r.lo + 1)); }
    bool oneIn(int n) { return rng_() % std::uint32_t(n) == 0; }
    template <std::size_t N>
    const char* pick(const char* const (&items)[N]) {
        return items[rng_() % N];
    }

    static std::string digits(int value, int width) {
        std::string s(std::size_t(width), '0');
        for (int i = width - 1; i >= 0 && value > 0; --i, value /= 10) s[std::size_t(i)] = char('0' + value % 10);
        return s;
    }
    std::string code(int district, int town, int settlement) const {
        return digits(region_, 2) + digits(district, 3) + digits(town, 3) + digits(settlement, 3);
    }
    std::string gnimb(int district) const { return digits(region_, 2) + digits(1 + district % 40, 2); }
    std::string postIndex() { return oneIn(10) ? std::string() : digits(indexBase_ + draw({0, 999}), 6); }
    std::string okato() { return digits(okatoRegion_, 2) + digits(++okatoSerial_ * 7, 9); }

    // A prefix and a root make one word: "Ново" + "Берез" gives "Новоберез".
    std::string placeName(const char* ending) {
        std::string prefix = pick(kPrefixes);
        std::string root = pick(kRoots);
        if (!prefix.empty()) root = lowerFirst(root);
        return prefix + root + ending;
    }
    std::string settlementName() { return placeName(pick(kSettlementEnds)); }

    // Lower-cases a leading Cyrillic capital (UTF-8 D0 90..D0 AF).
    static std::string lowerFirst(std::string s) {
        if (s.size() < 2 || std::uint8_t(s[0]) != 0xD0) return s;
        auto c = std::uint8_t(s[1]);
        if (c >= 0x90 && c <= 0x9F) s[1] = char(c + 0x20);
        else if (c >= 0xA0 && c <= 0xAF) { s[0] = char(0xD1); s[1] = char(c - 0x20); }
        return s;
    }

    void district(int d) {
        kladrRow(std::string(pick(kRoots)) + "овский", "р-н", code(d, 0, 0), gnimb(d), "0");
        int towns = draw(scale_.districtTowns);
        for (int t = 1; t <= towns; ++t) town(d, t, t == 1 ? "1" : "0");
        int settlements = draw(scale_.districtSettlements);
        for (int s = 1; s <= settlements; ++s) {
            settlement(d, 0, s, kSettlementSocr);
            streets(d, 0, s, scale_.settlementStreets, kVillageStreetSocr);
        }
    }

    void town(int d, int t, const char* status) {
        std::string name = placeName(pick(kTownEnds));
        kladrRow(name, pick(kTownSocr), code(d, t, 0), gnimb(d), status);
        streets(d, t, 0, scale_.townStreets, kStreetSocr);
        int settlements = draw(scale_.townSettlements);
        for (int s = 1; s <= settlements; ++s) {
            settlement(d, t, s, kTownSettlementSocr);
            streets(d, t, s, scale_.settlementStreets, kVillageStreetSocr);
        }
    }

    template <std::size_t N>
    void settlement(int d, int t, int s, const char* const (&socr)[N]) {
        std::string name = settlementName();
        const char* type = pick(socr);
        std::string c = code(d, t, s);
        kladrRow(name, type, c, gnimb(d), "0");
        if (oneIn(scale_.renamedEvery)) {
            // The record of a former name: the same code with actuality "01".
            kladrRow(settlementName(), type, c, gnimb(d), "0", "01");
        }
    }

    // A federal city: towns and settlements directly under the region, and
    // most of its streets with zeros in all three middle parts.
    void city() {
        streets(0, 0, 0, scale_.cityStreets, kStreetSocr);
        int towns = draw(scale_.regionTowns);
        for (int t = 1; t <= towns; ++t) town(0, t, "0");
        int settlements = draw(scale_.citySettlements);
        for (int s = 1; s <= settlements; ++s) {
            settlement(0, 0, s, kTownSettlementSocr);
            streets(0, 0, s, scale_.settlementStreets, kVillageStreetSocr);
        }
    }

    template <std::size_t N>
    void streets(int d, int t, int s, Range count, const char* const (&socr)[N]) {
        int n = draw(count);
        std::string place = code(d, t, s);
        constexpr int names = int(std::size(kStreetNames));
        // Names are walked with a step prime to their count, so a place has no two
        // alike; big towns run out of them and go on with "Садовая 2-я" and so on.
        constexpr int steps[] = {1, 7, 11, 13, 17, 19, 23, 29};
        int start = int(rng_() % std::uint32_t(names));
        int step = steps[rng_() % std::size(steps)];
        for (int u = 1; u <= n; ++u) {
            std::string name = kStreetNames[(start + (u - 1) * step) % names];
            int round = (u - 1) / names;
            if (round > 0) name += " " + std::to_string(round + 1) + "-я";
            std::string c = place + digits(u, 4);
            std::string index = postIndex();
            streetRow(name, pick(socr), c + "00", index, gnimb(d));
            if (oneIn(scale_.houseEvery)) {
                int first = draw({1, 40});
                std::string houses = std::to_string(first) + "," + std::to_string(first + 2) + "," +
                                     std::to_string(first + 4) + "к1," + std::to_string(first + 6);
                // The house type is written in either case, as in real deliveries.
                streetRow(houses, oneIn(3) ? "ДОМ" : "дом", c + "00", index, gnimb(d));
            }
        }
    }

    void kladrRow(const std::string& name, const char* socr, const std::string& code11,
                  const std::string& gninmb, const char* status, const char* actuality = "00") {
        std::fill(kladrRecord_.begin(), kladrRecord_.end(), ' ');
        const auto& f = kladr_->fields();
        put(kladrRecord_, f[0], name);
        put(kladrRecord_, f[1], socr);
        put(kladrRecord_, f[2], code11 + actuality);
        put(kladrRecord_, f[3], postIndex());
        put(kladrRecord_, f[4], gninmb);
        put(kladrRecord_, f[5], oneIn(5) ? digits(draw({1, 9999}), 4) : std::string());
        put(kladrRecord_, f[6], okato());
        put(kladrRecord_, f[7], status);
        kladr_->appendRecord(kladrRecord_.data());
    }

    void streetRow(const std::string& name, const char* socr, const std::string& code17,
                   const std::string& index, const std::string& gninmb) {
        std::fill(streetRecord_.begin(), streetRecord_.end(), ' ');
        const auto& f = street_->fields();
        put(streetRecord_, f[0], name);
        put(streetRecord_, f[1], socr);
        put(streetRecord_, f[2], code17);
        put(streetRecord_, f[3], index);
        put(streetRecord_, f[4], gninmb);
        put(streetRecord_, f[6], oneIn(4) ? std::string() : okato());
        street_->appendRecord(streetRecord_.data());
    }

    // Text in code page 866, cut to the field and left blank-padded.
    static void put(std::string& record, const FieldDef& field, std::string_view utf8) {
        std::string bytes = kvzt::engine::fromUtf8(utf8, CodePage::Cp866);
        if (bytes.size() > std::size_t(field.length)) bytes.resize(std::size_t(field.length));
        record.replace(std::size_t(field.offset), bytes.size(), bytes);
    }

    const Scale& scale_;
    std::mt19937 rng_{20240607u};
    std::unique_ptr<DbfFile> kladr_;
    std::unique_ptr<DbfFile> street_;
    std::string kladrRecord_;
    std::string streetRecord_;
    int region_ = 0;
    int indexBase_ = 0;
    int okatoRegion_ = 0;
    int okatoSerial_ = 0;
};

int usage() {
    std::fputs("usage: kvzt-sample-kladr --small DIR | --full DIR\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return usage();
    const std::string mode = argv[1];
    if (mode != "--small" && mode != "--full") return usage();
    const bool full = mode == "--full";
    const std::string dir = argv[2];
    try {
        std::filesystem::create_directories(dir);
        Generator gen(dir, full ? kFull : kSmall);
        if (full) {
            for (const Region& r : kRegions) gen.region(r, false);
            for (const Region& r : kStrayRegions) gen.region(r, true);
        } else {
            for (int code : {77, 50, 66})
                for (const Region& r : kRegions)
                    if (r.code == code) gen.region(r, false);
            gen.region(kStrayRegions[1], true);
        }
        std::uint32_t kladr = gen.kladrCount();
        std::uint32_t street = gen.streetCount();
        gen.finish();
        std::printf("%s: kladr.dbf %u records, street.dbf %u records\n", dir.c_str(), unsigned(kladr), unsigned(street));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kvzt-sample-kladr: %s\n", e.what());
        return 1;
    }
    return 0;
}
