#include "samples/import/sample_sets.h"

#include <algorithm>

#include "engine/code_page.h"

namespace kvzt::samples {

namespace {

// The people both sets are planned around.
struct Planned {
    const char* fam;
    const char* name;
    const char* otc;
    bool female;
    Date birth;
    DocumentKind document;
    const char* docNumber;
    const char* inn;
};

const Planned kTwin{"Кузнецов", "Андрей", "Викторович", false, {1965, 3, 14}, kPassportUssr, "IV-МЮ 123456",
                    "772345678917"};
const Planned kTwinWithoutStatements{"Смирнова", "Елена", "Петровна", true, {1972, 11, 2}, kPassportRf,
                                     "45 03 612345", ""};
const Planned kOtherDocument{"Попов", "Сергей", "Иванович", false, {1958, 7, 21}, kPassportRf, "46 01 111222",
                             "503112233445"};
const Planned kTwoTwins{"Васильева", "Ольга", "Николаевна", true, {1980, 1, 30}, kPassportRf, "45 99 700100",
                        "771234567891"};

Address moscow(const char* street, const char* house, const char* flat) {
    Address a;
    a.countryCode = "643";
    a.countryName = "Россия";
    a.index = "125047";
    a.regionCode = "77";
    a.regionName = "Москва";
    a.regionType = "г";
    a.street = street;
    a.house = house;
    a.flat = flat;
    return a;
}

// A person of the plan, with realistic statements from `statements`
// (which makes exactly two a person), of which `count` are kept.
Person planned(PeopleGenerator& statements, const Planned& who, std::size_t count, const Address& address) {
    Person p = statements.next();
    p.fam = who.fam;
    p.name = who.name;
    p.otc = who.otc;
    p.female = who.female;
    p.birth = who.birth;
    p.document = who.document;
    p.docNumber = who.docNumber;
    p.inn = who.inn;
    p.status = "1";
    p.jobStatus = "1";
    p.address = address;
    p.gni = "7713";
    p.statements.resize(std::min(count, p.statements.size()));
    for (Statement& s : p.statements) s.jobStatus = p.jobStatus;
    return p;
}

PeopleGenerator plannedStatements(std::uint32_t seed, int year) {
    PeopleOptions o;
    o.statementsPerPerson = 2;
    o.linesPerStatement = 4;
    o.exactCounts = true;
    o.seed = seed;
    o.year = year;
    return PeopleGenerator(o);
}

// Numbers the people 1, 2, … and their statements 1, 2, … in order, as the
// earlier version would have.
std::vector<Person> numbered(std::vector<Person> people) {
    int nom = 0, statement = 0;
    for (Person& p : people) {
        p.nom = ++nom;
        for (Statement& s : p.statements) s.id = s.idDok = ++statement;
    }
    return people;
}

}  // namespace

std::vector<Person> SmallWin32Set() {
    PeopleOptions o;
    o.persons = 8;
    o.statementsPerPerson = 2;
    o.linesPerStatement = 4;
    o.seed = 32;
    std::vector<Person> people = GeneratePeople(o);
    PeopleGenerator statements = plannedStatements(3200, o.year);
    people.push_back(planned(statements, kTwin, 2, moscow("Тверская ул", "7", "15")));
    people.push_back(planned(statements, kTwinWithoutStatements, 0, moscow("Арбат ул", "24", "3")));
    people.push_back(planned(statements, kOtherDocument, 1, moscow("Садовая ул", "5", "40")));
    // The same person twice, told apart only by the personnel number, so both
    // are stored: a DOS 2.* record of her (which has no personnel number) has two twins.
    Person first = planned(statements, kTwoTwins, 1, moscow("Ленина ул", "12", "8"));
    Person second = planned(statements, kTwoTwins, 0, moscow("Ленина ул", "12", "8"));
    first.tabNmb = "2101";
    second.tabNmb = "2102";
    people.push_back(first);
    people.push_back(second);
    return numbered(people);
}

std::vector<Person> SmallDos2Set() {
    PeopleOptions o;
    o.persons = 6;
    o.statementsPerPerson = 1;
    o.linesPerStatement = 5;
    o.seed = 2;
    o.year = 1999;
    std::vector<Person> people = GeneratePeople(o);
    PeopleGenerator statements = plannedStatements(200, o.year);
    people.push_back(planned(statements, kTwin, 1, moscow("Тверская ул", "7", "15")));
    // Her statement brings a property deduction with its flat.
    Person withoutStatements = planned(statements, kTwinWithoutStatements, 1, moscow("Арбат ул", "24", "3"));
    withoutStatements.statements.front().deductions.push_back({"09", 350000.0});
    withoutStatements.statements.front().objects.push_back("Квартира, Москва г, Арбат ул, д. 24, кв. 3");
    people.push_back(withoutStatements);
    Person otherDocument = planned(statements, kOtherDocument, 1, moscow("Садовая ул", "5", "40"));
    otherDocument.docNumber = "46 02 333444";
    people.push_back(otherDocument);
    people.push_back(planned(statements, kTwoTwins, 1, moscow("Ленина ул", "12", "8")));

    // The first Win 3.2 person as the DOS version wrote him: names in capitals.
    Person capitals = SmallWin32Set().front();
    for (std::string* part : {&capitals.fam, &capitals.name, &capitals.otc}) *part = engine::upperUtf8(*part);
    capitals.statements.resize(std::min<std::size_t>(1, capitals.statements.size()));
    people.push_back(capitals);

    // A resident whose old address names another country: imported with an
    // empty country code and a home address.
    Person resident = planned(statements, {"Шевчук", "Тарас", "Богданович", false, {1969, 5, 9}, kPassportRf,
                                           "45 00 512512", "770011223344"},
                              1, moscow("Мира пр-кт", "101", "77"));
    resident.address.countryName = "Украина";
    people.push_back(resident);

    // A non-resident from Belarus: country 112, the address kept after the country name.
    Person foreigner = planned(statements, {"Лукашевич", "Янина", "Станиславовна", true, {1977, 8, 23},
                                            kForeignPassport, "МР 2345678", ""},
                               1, Address{});
    foreigner.status = "2";
    foreigner.address.countryCode = "112";
    foreigner.address.countryName = "Беларусь";
    foreigner.address.index = "220030";
    foreigner.address.city = "Минск";
    foreigner.address.street = "Немига ул";
    foreigner.address.house = "3";
    foreigner.address.flat = "14";
    people.push_back(foreigner);

    // A taxpayer without a statement (NomDok 0).
    people.push_back(planned(statements, {"Орлова", "Нина", "Игоревна", true, {1949, 12, 31}, kPassportUssr,
                                          "XI-МЮ 654321", ""},
                             0, moscow("Пушкина ул", "2", "")));
    return numbered(people);
}

}  // namespace kvzt::samples
