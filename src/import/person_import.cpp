#include "import/person_import.h"

#include <QString>

#include "data/data_module.h"
#include "data/program_flags.h"
#include "engine/code_page.h"
#include "engine/table.h"
#include "import/dos_person_conversion.h"
#include "import/import_context.h"
#include "import/person_format.h"
#include "import/statement_import.h"

namespace kvzt::import {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

bool isTwin(engine::Table& stored, const SourcePerson& p, bool withPersonnelNumber) {
    return stored.asString("DKOD") == p.dkod && stored.asString("DNOM") == p.dnom && stored.asString("INNFL") == p.inn &&
           stored.asString("JOBSTATUS") == p.jobStatus && stored.asString("STATUS") == p.status &&
           (!withPersonnelNumber || stored.asString("TABNMB") == p.tabNmb);
}

}  // namespace

SourcePerson ReadSourcePerson(ImportContext& ctx) {
    engine::Table& src = *ctx.sourceList;
    SourcePerson p;
    p.fam = src.asString("FAM");
    p.name = src.asString("NAME");
    p.otc = src.asString("OTC");
    p.birth = src.asDate("DATEROG");
    p.status = src.asString("STATUS");
    if (ctx.isDos()) {
        const DosDocument doc = ConvertDosDocument(q(src.asString("DOK")), ctx.books);
        p.dkod = doc.kindCode.toStdString();
        p.dnom = doc.number.toStdString();
        p.inn = src.asString("Inn");
        p.jobStatus = src.asString("MESTO");
        const QString adres = q(src.asString("ADRES"));
        const QString country = ConvertDosCountry(q(p.status), adres, ctx.books);
        p.strCode = country.toStdString();
        p.adres = ConvertDosAddress(adres, IsHomeCountry(ctx.dm.tbUPI, country), ctx.books).toStdString();
        p.isSprav = src.asFloat("NomDok") != 0;
    } else {
        p.dkod = src.asString("DKOD");
        p.dnom = src.asString("DNOM");
        p.inn = src.asString("InnFL");
        p.jobStatus = src.asString("JOBSTATUS");
        p.tabNmb = src.asString("TABNMB");
        p.strCode = src.asString("STRCODE");
        p.adres = src.asString("Adres");
        p.isSprav = src.asBoolean("IsSprav");
    }
    return p;
}

void MatchAndWritePerson(ImportContext& ctx) {
    const SourcePerson person = ReadSourcePerson(ctx);
    engine::Table& stored = ctx.dm.tbSpisok.table();
    // The tag's key is UPPER(FAM+NAME+OTC)+DTOS(DATEROG); the engine takes
    // range values as given, so the names are upper-cased here. An empty
    // birth date gives eight blanks, which only stored empty dates have.
    const std::vector<engine::Value> key{engine::upperUtf8(person.fam), engine::upperUtf8(person.name),
                                         engine::upperUtf8(person.otc), person.birth};
    stored.setRange(key, key);
    bool found = false;
    const bool withPersonnelNumber = !ctx.isDos();
    for (; !stored.eof(); stored.next()) {
        if (!isTwin(stored, person, withPersonnelNumber)) continue;
        found = true;
        const std::int64_t twin = stored.asInteger("NOM");
        CopySpisRec(ctx, *ctx.spisDbl, twin, true, person);
        data::SpisDblFound = true;
        ctx.result.spisDblFound = true;
        ++ctx.result.personDuplicates;
        RouteTwinStatements(ctx, twin);
    }
    stored.cancelRange();
    if (!found) AddNewPerson(ctx, person);
}

void AddNewPerson(ImportContext& ctx, const SourcePerson& person) {
    engine::Table& numbers = *ctx.spisNomG;
    numbers.last();  // eof() is set after last(); recNo() is 0 only for an empty list
    const std::int64_t nom = numbers.recNo() == 0 ? 1 : numbers.asInteger("NOM") + 1;
    CopySpisRec(ctx, ctx.dm.tbSpisok.table(), nom, false, person);
    ++ctx.result.personsAdded;
    RouteNewStatements(ctx, nom);
}

void CopySpisRec(ImportContext& ctx, engine::Table& destination, std::int64_t nom, bool duplicate,
                 const SourcePerson& person) {
    destination.append();
    destination.setInteger("NOM", nom);
    destination.setString("FAM", person.fam);
    destination.setString("NAME", person.name);
    destination.setString("OTC", person.otc);
    if (!person.birth.isNull()) destination.setDate("DATEROG", person.birth);
    destination.setString("DKOD", person.dkod);
    destination.setString("DNOM", person.dnom);
    destination.setString("INNFL", person.inn);
    destination.setBoolean("ISSPRAV", person.isSprav);
    destination.setBoolean("ISKART", false);
    destination.setString("JOBSTATUS", person.jobStatus);
    destination.setString("STATUS", person.status);
    destination.setString("STRCODE", person.strCode);
    destination.setString("ADRES", person.adres);
    if (!ctx.isDos()) {
        engine::Table& src = *ctx.sourceList;
        destination.setString("GNI", src.asString("GNI"));
        destination.setString("DOLJN", src.asString("DOLJN"));
        destination.setDate("DATADOLJN", src.asDate("DATADOLJN"));
        destination.setString("TABNMB", person.tabNmb);
    }
    if (duplicate) destination.setString("INCL", "");
    destination.post();
}

}  // namespace kvzt::import
