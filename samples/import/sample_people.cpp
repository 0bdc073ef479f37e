#include "samples/import/sample_people.h"

#include <algorithm>
#include <cmath>

namespace kvzt::samples {

namespace {

constexpr const char* kSurnames[] = {
    "Иванов",    "Петров",    "Сидоров",   "Смирнов",    "Попов",      "Васильев",  "Соколов",  "Михайлов",
    "Новиков",   "Морозов",   "Волков",    "Алексеев",   "Лебедев",    "Семенов",   "Егоров",   "Павлов",
    "Козлов",    "Степанов",  "Николаев",  "Орлов",      "Андреев",    "Макаров",   "Никитин",  "Захаров",
    "Зайцев",    "Соловьев",  "Борисов",   "Яковлев",    "Григорьев",  "Романов",   "Воробьев", "Сергеев",
    "Фролов",    "Дмитриев",  "Королев",   "Гусев",      "Киселев",    "Ильин",     "Максимов", "Поляков",
    "Сорокин",   "Белов",     "Медведев",  "Антонов",    "Тарасов",    "Жуков",     "Баранов",  "Филиппов",
    "Комаров",   "Давыдов",   "Беляев",    "Герасимов",  "Богданов",   "Осипов",    "Ткаченко", "Бондаренко",
    "Коваленко", "Шевчук",    "Черных",    "Седых",      "Успенский",  "Покровский", "Троицкий", "Высоцкий",
    "Салихов",   "Гарипов",   "Хабибуллин", "Дзагоев",   "Цаллаев",
};
constexpr const char* kMaleNames[] = {
    "Александр", "Сергей", "Андрей", "Алексей", "Дмитрий", "Владимир", "Николай", "Михаил", "Игорь", "Евгений",
    "Олег", "Виктор", "Юрий", "Павел", "Константин", "Иван", "Петр", "Геннадий", "Анатолий", "Борис",
};
constexpr const char* kFemaleNames[] = {
    "Елена", "Ольга", "Татьяна", "Наталья", "Ирина", "Светлана", "Галина", "Людмила", "Марина", "Анна",
    "Мария", "Надежда", "Валентина", "Нина", "Любовь", "Екатерина", "Юлия", "Вера", "Лариса", "Тамара",
};
struct Patronymic {
    const char* male;
    const char* female;
};
constexpr Patronymic kPatronymics[] = {
    {"Александрович", "Александровна"}, {"Сергеевич", "Сергеевна"},     {"Андреевич", "Андреевна"},
    {"Алексеевич", "Алексеевна"},       {"Дмитриевич", "Дмитриевна"},   {"Владимирович", "Владимировна"},
    {"Николаевич", "Николаевна"},       {"Михайлович", "Михайловна"},   {"Игоревич", "Игоревна"},
    {"Евгеньевич", "Евгеньевна"},       {"Олегович", "Олеговна"},       {"Викторович", "Викторовна"},
    {"Юрьевич", "Юрьевна"},             {"Павлович", "Павловна"},       {"Иванович", "Ивановна"},
    {"Петрович", "Петровна"},           {"Геннадьевич", "Геннадьевна"}, {"Анатольевич", "Анатольевна"},
    {"Борисович", "Борисовна"},         {"Васильевич", "Васильевна"},   {"Григорьевич", "Григорьевна"},
    {"Федорович", "Федоровна"},         {"Степанович", "Степановна"},   {"Ильич", "Ильинична"},
};
constexpr const char* kPosts[] = {
    "Бухгалтер", "Главный бухгалтер", "Инженер", "Ведущий инженер", "Водитель", "Менеджер", "Экономист",
    "Слесарь", "Программист", "Кладовщик", "Секретарь", "Электромонтер", "Юрист", "Начальник отдела",
};
constexpr const char* kStreets[] = {
    "Ленина ул", "Мира пр-кт", "Садовая ул", "Гагарина ул", "Пушкина ул", "Советская ул", "Лесная ул",
    "Молодежная ул", "Строителей ул", "Победы ул", "Школьная ул", "Центральная ул", "Кирова ул",
    "Октябрьская ул", "Набережная ул", "Заводской пер",
};

struct Region {
    const char* code;
    const char* name;
    const char* type;
    int indexFrom;  // first three digits of the region's postal indexes
    int indexTo;
    std::vector<const char*> cities;  // empty for a federal city
    const char* district;             // a rural district with its village, or null
    const char* locality;
};
const Region kRegions[] = {
    {"77", "Москва", "г", 101, 129, {}, nullptr, nullptr},
    {"78", "Санкт-Петербург", "г", 190, 199, {}, nullptr, nullptr},
    {"50", "Московская", "обл", 140, 143, {"Подольск г", "Химки г", "Коломна г"}, "Раменский р-н", "Быково д"},
    {"66", "Свердловская", "обл", 620, 624, {"Екатеринбург г", "Нижний Тагил г"}, "Сысертский р-н", "Кашино с"},
    {"16", "Татарстан", "Респ", 420, 423, {"Казань г", "Набережные Челны г"}, nullptr, nullptr},
    {"15", "Северная Осетия - Алания", "Респ", 362, 363, {"Владикавказ г"}, nullptr, nullptr},
    {"54", "Новосибирская", "обл", 630, 633, {"Новосибирск г", "Бердск г"}, nullptr, nullptr},
    {"23", "Краснодарский", "край", 350, 354, {"Краснодар г", "Сочи г"}, "Динской р-н", "Динская ст-ца"},
    {"61", "Ростовская", "обл", 344, 347, {"Ростов-на-Дону г", "Таганрог г"}, nullptr, nullptr},
    {"52", "Нижегородская", "обл", 603, 607, {"Нижний Новгород г"}, nullptr, nullptr},
    {"86", "Ханты-Мансийский - Югра", "АО", 628, 628, {"Сургут г"}, nullptr, nullptr},
    {"21", "Чувашская Республика -", "Чувашия", 428, 429, {"Чебоксары г"}, nullptr, nullptr},
};

struct Country {
    const char* code;
    const char* name;
    const char* city;
    int indexFrom;  // 0: the country's addresses carry no index here
};
const Country kForeign[] = {
    {"112", "Беларусь", "Минск", 220}, {"804", "Украина", "Харьков", 310}, {"398", "Казахстан", "Алматы", 480},
    {"051", "Армения", "Ереван", 375}, {"276", "Германия", "Берлин", 0},
};

std::string femaleSurname(const std::string& male) {
    auto endsWith = [&](const std::string& tail) {
        return male.size() >= tail.size() && male.compare(male.size() - tail.size(), tail.size(), tail) == 0;
    };
    if (endsWith("ский") || endsWith("цкий")) return male.substr(0, male.size() - std::string("ий").size()) + "ая";
    if (endsWith("ов") || endsWith("ев") || endsWith("ин")) return male + "а";
    return male;  // Ткаченко, Шевчук, Черных: one form for both
}

int daysIn(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

double round2(double v) { return std::round(v * 100.0) / 100.0; }

}  // namespace

PeopleGenerator::PeopleGenerator(const PeopleOptions& options) : options_(options), rng_(options.seed) {}

int PeopleGenerator::draw(int lo, int hi) { return lo + int(rng_() % std::uint32_t(hi - lo + 1)); }
bool PeopleGenerator::oneIn(int n) { return rng_() % std::uint32_t(n) == 0; }

std::string PeopleGenerator::digits(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += char('0' + rng_() % 10);
    return s;
}

// Twelve digits: region, inspection, serial number and the two check digits.
std::string PeopleGenerator::inn(const std::string& region) {
    // Each draw in a statement of its own: the order in which the operands
    // of one expression are evaluated is not fixed, the sequence must be.
    std::string s = region + std::to_string(draw(10, 40));
    s += digits(6);
    auto check = [&](std::initializer_list<int> weights) {
        int sum = 0, i = 0;
        for (int w : weights) sum += w * (s[std::size_t(i++)] - '0');
        return char('0' + sum % 11 % 10);
    };
    s += check({7, 2, 4, 10, 3, 5, 9, 4, 6, 8});
    s += check({3, 7, 2, 4, 10, 3, 5, 9, 4, 6, 8});
    return s;
}

void PeopleGenerator::document(Person& p) {
    static constexpr const char* romans[] = {"I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X", "XI"};
    static constexpr const char* letters[] = {"А", "Б", "В", "Г", "Д", "Е", "Ж", "И", "К", "Л", "М",
                                              "Н", "О", "П", "Р", "С", "Т", "У", "Ф", "Х", "Ю", "Я"};
    if (p.status == "2") {
        p.document = oneIn(2) ? kForeignPassport : kResidencePermit;
        if (p.document.code == kForeignPassport.code) {
            p.docNumber = pick(letters);
            p.docNumber += pick(letters);
        } else {
            p.docNumber = std::to_string(draw(81, 83)) + " ";
        }
        p.docNumber += digits(7);
        return;
    }
    const int kind = draw(1, 20);
    if (kind <= 14) {
        p.document = kPassportRf;
        p.docNumber = std::to_string(draw(10, 99)) + " ";
        p.docNumber += digits(2) + " ";
        p.docNumber += digits(6);
    } else if (kind <= 19) {
        p.document = kPassportUssr;
        p.docNumber = std::string(pick(romans)) + "-";
        p.docNumber += pick(letters);
        p.docNumber += pick(letters);
        p.docNumber += " " + digits(6);
    } else {
        p.document = kMilitaryCard;
        p.docNumber = pick(letters);
        p.docNumber += pick(letters);
        p.docNumber += " " + digits(7);
    }
}

void PeopleGenerator::address(Person& p) {
    Address& a = p.address;
    if (p.status == "2") {
        const Country& c = kForeign[rng_() % std::size(kForeign)];
        a.countryCode = c.code;
        a.countryName = c.name;
        if (c.indexFrom) a.index = std::to_string(c.indexFrom) + digits(3);
        a.city = c.city;
        a.street = pick(kStreets);
        a.house = std::to_string(draw(1, 120));
        a.flat = std::to_string(draw(1, 200));
        return;
    }
    const Region& r = kRegions[rng_() % std::size(kRegions)];
    a.countryCode = "643";
    a.countryName = "Россия";
    a.index = std::to_string(draw(r.indexFrom, r.indexTo));
    a.index += digits(3);
    a.regionCode = r.code;
    a.regionName = r.name;
    a.regionType = r.type;
    a.street = pick(kStreets);
    a.house = std::to_string(draw(1, 150));
    if (oneIn(8)) a.house += "А";
    if (!r.cities.empty() && r.district && oneIn(5)) {
        // A village: district and locality, a house without flats.
        a.district = r.district;
        a.locality = r.locality;
        return;
    }
    if (!r.cities.empty()) a.city = r.cities[rng_() % r.cities.size()];
    if (oneIn(4)) a.building = std::to_string(draw(1, 3));
    a.flat = std::to_string(draw(1, 280));
}

Statement PeopleGenerator::statement(const Person& p, int linesWanted) {
    Statement s;
    s.id = ++statementId_;
    s.idDok = s.id;
    s.jobStatus = p.jobStatus;
    const int firstMonth = options_.exactCounts || !oneIn(6) ? 1 : draw(2, 10);
    // The taxed months as the host keeps them: twelve "0"/"1" characters, January first.
    s.months = std::string(std::size_t(firstMonth - 1), '0') + std::string(std::size_t(13 - firstMonth), '1');
    const int monthly = draw(30, 400) * 100;  // monthly pay, roubles
    std::array<long long, 12> perMonth{};
    for (int i = 0; i < linesWanted; ++i) {
        IncomeLine line;
        line.month = firstMonth + i % (13 - firstMonth);
        const int kind = options_.exactCounts ? i % 10 : draw(0, 12);
        if (kind < 7) {
            line.kod = "2000";
            line.sum = monthly + draw(-20, 20) * 100;
        } else if (kind == 7) {
            line.kod = "2002";
            line.sum = monthly / 2;
        } else if (kind == 8) {
            line.kod = "2012";
            line.sum = monthly + monthly / 10;
        } else if (kind == 9) {
            line.kod = "2300";
            line.sum = monthly / 3;
        } else if (kind == 10) {
            line.kod = "2720";
            line.sum = draw(5, 40) * 100;
            line.kodSk = "01";
            line.sk = std::min<long long>(line.sum, 2000);
        } else if (kind == 11) {
            line.kod = "2760";
            line.sum = draw(10, 60) * 100;
            line.kodSk = "03";
            line.sk = std::min<long long>(line.sum, 2000);
        } else {
            line.kod = "2010";
            line.sum = draw(20, 150) * 100;
        }
        perMonth[std::size_t(line.month - 1)] += line.sum;
        s.lines.push_back(line);
    }
    long long total = 0, discounts = 0;
    for (const IncomeLine& line : s.lines) {
        total += line.sum;
        discounts += line.sk;
    }
    long long running = 0;
    for (int m = 0; m < 12; ++m) {
        running += perMonth[std::size_t(m)];
        s.sovDoh[std::size_t(m)] = double(running);
    }
    // Standard deductions: 400 a month on the taxpayer until the income passes
    // 20,000; 300 a month per child.
    if (p.status == "1") {
        int months = 0;
        for (int m = 0; m < 12; ++m)
            if (s.sovDoh[std::size_t(m)] > 0 && s.sovDoh[std::size_t(m)] <= 20000) ++months;
        if (months > 0) s.deductions.push_back({"03", 400.0 * months});
        if (oneIn(3)) s.deductions.push_back({"04", 300.0 * (13 - firstMonth) * draw(1, 2)});
        if (oneIn(25)) {
            s.deductions.push_back({"09", double(draw(50, 600) * 1000)});
            const int house = draw(1, 90);
            const int flat = draw(1, 200);
            const std::string place =
                p.address.city.empty() ? p.address.regionName + " " + p.address.regionType : p.address.city;
            s.objects.push_back("Квартира, " + place + ", " + p.address.street + ", д. " + std::to_string(house) +
                                ", кв. " + std::to_string(flat));
        }
    }
    double deducted = 0;
    for (const Deduction& d : s.deductions) deducted += d.sum;
    s.sgdSum = double(total);
    s.oblagSum = std::max(0.0, double(total - discounts) - deducted);
    const double rate = p.status == "1" ? 0.13 : 0.30;
    s.ischDohSum = round2(s.oblagSum * rate);
    s.udSum = s.ischDohSum;
    const int year = options_.year + 1;
    s.dsved = Date{year, draw(1, 3), 0};
    s.dsved.day = draw(1, daysIn(s.dsved.year, s.dsved.month));
    s.dataVid = oneIn(5) ? Date{} : s.dsved;
    s.nosit = oneIn(3) ? "Бумага" : "Дискета";
    if (p.inn.empty() && oneIn(2)) s.error = "Нет ИНН";
    s.reestrNmb = draw(1, 12);
    return s;
}

Person PeopleGenerator::next() {
    Person p;
    p.nom = ++nom_;
    p.female = oneIn(2);
    const std::string surname = pick(kSurnames);
    p.fam = p.female ? femaleSurname(surname) : surname;
    p.name = p.female ? pick(kFemaleNames) : pick(kMaleNames);
    const Patronymic& otc = kPatronymics[rng_() % std::size(kPatronymics)];
    p.otc = p.female ? otc.female : otc.male;
    if (oneIn(40)) p.otc.clear();  // foreigners and a few others have none
    p.birth = Date{draw(1940, 1984), draw(1, 12), 0};
    p.birth.day = draw(1, daysIn(p.birth.year, p.birth.month));
    if (oneIn(60)) p.birth = Date{};  // unknown in the old data
    p.status = oneIn(15) ? "2" : "1";
    p.jobStatus = oneIn(6) ? "2" : "1";
    document(p);
    address(p);
    if (!oneIn(4)) p.inn = inn(p.address.home() ? p.address.regionCode : "77");
    p.gni = (p.address.home() ? p.address.regionCode : std::string("77")) + std::to_string(draw(10, 40));
    p.doljn = pick(kPosts);
    p.dataDoljn = oneIn(3) ? Date{} : Date{draw(1990, options_.year), draw(1, 12), draw(1, 28)};
    p.tabNmb = std::to_string(1000 + p.nom);

    int statements = options_.statementsPerPerson;
    if (!options_.exactCounts && statements > 0) statements = oneIn(8) ? 0 : draw(1, statements);
    for (int i = 0; i < statements; ++i) {
        int lines = options_.linesPerStatement;
        if (!options_.exactCounts && lines > 0) lines = draw(std::max(1, lines / 2), lines + lines / 2);
        p.statements.push_back(statement(p, lines));
    }
    return p;
}

std::vector<Person> GeneratePeople(const PeopleOptions& options) {
    PeopleGenerator generator(options);
    std::vector<Person> people;
    people.reserve(std::size_t(std::max(0, options.persons)));
    for (int i = 0; i < options.persons; ++i) people.push_back(generator.next());
    return people;
}

std::string ShortName(const Person& p) {
    // Initials are whole UTF-8 letters: every letter used here is Cyrillic (two bytes).
    std::string s = p.fam + "  ";
    s += p.name.empty() ? std::string() : p.name.substr(0, 2);
    s += ".";
    if (!p.otc.empty()) s += p.otc.substr(0, 2) + ".";
    return s;
}

std::string RightAligned(long long value, int width) {
    std::string text = std::to_string(value);
    if (text.size() < std::size_t(width)) text.insert(0, std::size_t(width) - text.size(), ' ');
    return text;
}

}  // namespace kvzt::samples
