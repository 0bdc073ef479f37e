#pragma once
// One source taxpayer matched against the stored list and written: a
// duplicate record in Spis_D32 for every stored twin (with that twin's
// statements routed), or a new taxpayer in Spisok32 under the next number.
//
// A twin has the same surname, first name and patronymic (letter case
// ignored), the same birth date (a source taxpayer without one matches only
// stored taxpayers without one) and the same document kind and number, INN,
// job status and status; for Win 3.2 the same personnel number too.

#include <string>

#include "engine/date.h"

namespace kvzt::engine {
class Table;
}

namespace kvzt::import {

struct ImportContext;

// The current source taxpayer in the current layout (DOS 2.* fields
// converted through the reference books).
struct SourcePerson {
    std::string fam, name, otc;
    engine::Date birth;
    std::string dkod, dnom, inn, jobStatus, status, tabNmb;
    std::string strCode, adres;
    bool isSprav = false;
};

SourcePerson ReadSourcePerson(ImportContext& ctx);

// Matches the current source record and writes it with its statements.
void MatchAndWritePerson(ImportContext& ctx);

// Numbers and writes a new taxpayer, then adds his statements as new ones.
void AddNewPerson(ImportContext& ctx, const SourcePerson& person);

// Appends the source taxpayer to `destination` (Spisok32, or Spis_D32 with
// `duplicate`, INCL then empty) under `nom` and posts it.
void CopySpisRec(ImportContext& ctx, engine::Table& destination, std::int64_t nom, bool duplicate,
                 const SourcePerson& person);

}  // namespace kvzt::import
