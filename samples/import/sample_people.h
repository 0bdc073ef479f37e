#pragma once
// Made-up taxpayers with their income statements, the same for both source
// layouts: the DOS 2.* and the Windows 3.2 writers render them each in their
// own way. Everything follows from the seed through one std::mt19937 drawn
// with plain modulo arithmetic, so every standard library makes the same
// people; person i depends only on the seed and the people before it.

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/date.h"

namespace kvzt::samples {

using engine::Date;

struct IncomeLine {
    std::string kod;     // income kind, 4 digits
    long long sum = 0;   // whole roubles
    std::string kodSk;   // discount kind, 2 digits, or blank
    long long sk = 0;    // discount, whole roubles
    int month = 1;       // 1-12, for the monthly totals
};

struct Deduction {
    std::string kod;  // deduction kind, 2 digits
    double sum = 0;
};

struct Statement {
    int id = 0;      // Win 3.2 Id (statement key)
    int idDok = 0;   // Win 3.2 IdDok / DOS 2.* NomDok
    std::string months;     // MES / Period: a mask of 12 "0"/"1", one per month
    std::string jobStatus;  // JOBSTATUS / MESTO
    double sgdSum = 0, oblagSum = 0, ischDohSum = 0, udSum = 0;
    double sumNalInsp = 0;
    std::array<double, 12> sovDoh{};  // income from the start of the year to each month's end
    std::string error;                // ERROR / OSH
    std::string nosit;                // NOSIT
    Date dsved, dataVid;
    int reestrNmb = 0;
    std::vector<IncomeLine> lines;
    std::vector<Deduction> deductions;
    std::vector<std::string> objects;  // new-construction objects
};

// A structured address, item by item.
struct Address {
    std::string countryCode;  // numeric, "643" at home
    std::string countryName;  // as the DOS 2.* country book spells it
    std::string index;
    std::string regionCode;
    std::string regionName;  // without its type word
    std::string regionType;  // "обл", "г", "Респ" …
    std::string district, city, locality, street, house, building, flat;
    bool home() const { return countryCode == "643"; }
};

// Identity-document kinds the people carry: code of the program's document
// book and the kind name the DOS 2.* version wrote.
struct DocumentKind {
    const char* code;
    const char* dosName;
};
inline constexpr DocumentKind kPassportUssr{"01", "Паспорт"};
inline constexpr DocumentKind kMilitaryCard{"07", "Военный билет"};
inline constexpr DocumentKind kForeignPassport{"10", "Иностранный паспорт"};
inline constexpr DocumentKind kResidencePermit{"12", "Вид на жительство"};
inline constexpr DocumentKind kPassportRf{"21", "Паспорт РФ"};

struct Person {
    int nom = 0;
    std::string fam, name, otc;
    bool female = false;
    Date birth;
    DocumentKind document = kPassportRf;
    std::string docNumber;
    std::string inn;
    std::string jobStatus;  // "1" main job, "2" second job
    std::string status;     // "1" resident, "2" non-resident
    Address address;
    std::string gni, doljn, tabNmb;
    Date dataDoljn;
    std::vector<Statement> statements;
};

struct PeopleOptions {
    int persons = 50;
    int statementsPerPerson = 2;  // at most; some people get fewer, a few none
    int linesPerStatement = 5;    // on average
    std::uint32_t seed = 1;
    int year = 2002;              // the income year of the statements
    // Every statement gets exactly statementsPerPerson and linesPerStatement
    // (the benchmark's fixed sizes) instead of varying around them.
    bool exactCounts = false;
};

class PeopleGenerator {
public:
    explicit PeopleGenerator(const PeopleOptions& options);
    // The next person, numbered one above the last; statement keys continue
    // from the last statement's.
    Person next();

    int lastStatementId() const { return statementId_; }

private:
    int draw(int lo, int hi);
    bool oneIn(int n);
    template <std::size_t N>
    const char* pick(const char* const (&items)[N]) {
        return items[rng_() % N];
    }
    std::string digits(int count);
    std::string inn(const std::string& region);
    void document(Person& p);
    void address(Person& p);
    Statement statement(const Person& p, int linesWanted);

    PeopleOptions options_;
    std::mt19937 rng_;
    int nom_ = 0;
    int statementId_ = 0;
};

std::vector<Person> GeneratePeople(const PeopleOptions& options);

// Surname, two blanks, the initials (the statement's FIO).
std::string ShortName(const Person& p);
// A whole number right-aligned in `width` characters with leading blanks.
std::string RightAligned(long long value, int width);

}  // namespace kvzt::samples
