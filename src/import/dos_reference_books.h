#pragma once
// The three reference books of the DOS version 2.* that travel with the
// program (directory IMP): identity-document kinds (kldok: D_Middle →
// D_Code), countries (k0str: NAME → KOD) and regions (k1Reg: NAME →
// KodReg). Each is read once per run into a table keyed by the upper-cased
// name, so that a look-up ignores letter case and the first record of a name
// wins, as a walk from the first record would find it.

#include <QString>

#include <optional>
#include <string>
#include <unordered_map>

namespace kvzt::engine {
class Table;
}

namespace kvzt::import {

class DosReferenceBooks {
public:
    void loadDocumentKinds(engine::Table& kldok);
    void loadCountries(engine::Table& k0str);
    void loadRegions(engine::Table& k1reg);

    std::optional<QString> documentKind(const QString& kindName) const;
    std::optional<QString> country(const QString& countryName) const;
    std::optional<QString> region(const QString& regionName) const;

private:
    using Book = std::unordered_map<std::string, QString>;
    static void load(Book& book, engine::Table& table, const char* keyField, const char* valueField);
    static std::optional<QString> find(const Book& book, const QString& name);

    Book documentKinds_;
    Book countries_;
    Book regions_;
};

}  // namespace kvzt::import
