#include "import/dos_reference_books.h"

#include "engine/code_page.h"
#include "engine/table.h"

namespace kvzt::import {

void DosReferenceBooks::load(Book& book, engine::Table& table, const char* keyField, const char* valueField) {
    book.clear();
    table.field(keyField);
    table.field(valueField);
    for (table.first(); !table.eof(); table.next()) {
        book.try_emplace(engine::upperUtf8(table.asString(keyField)),
                         QString::fromStdString(table.asString(valueField)));
    }
}

std::optional<QString> DosReferenceBooks::find(const Book& book, const QString& name) {
    // The engine returns texts without their trailing blanks; the name is
    // given the same way.
    QString key = name;
    while (!key.isEmpty() && key.back() == QLatin1Char(' ')) key.chop(1);
    const auto it = book.find(engine::upperUtf8(key.toStdString()));
    if (it == book.end()) return std::nullopt;
    return it->second;
}

void DosReferenceBooks::loadDocumentKinds(engine::Table& kldok) { load(documentKinds_, kldok, "D_Middle", "D_Code"); }
void DosReferenceBooks::loadCountries(engine::Table& k0str) { load(countries_, k0str, "NAME", "KOD"); }
void DosReferenceBooks::loadRegions(engine::Table& k1reg) { load(regions_, k1reg, "NAME", "KodReg"); }

std::optional<QString> DosReferenceBooks::documentKind(const QString& kindName) const {
    return find(documentKinds_, kindName);
}
std::optional<QString> DosReferenceBooks::country(const QString& countryName) const {
    return find(countries_, countryName);
}
std::optional<QString> DosReferenceBooks::region(const QString& regionName) const {
    return find(regions_, regionName);
}

}  // namespace kvzt::import
