#pragma once
// What a person view shows for one taxpayer: the texts of its edits and the
// address lines, and the colour of every caption after the field checks
// (black for a sound value, red for an invalid or missing one). Built from
// the taxpayer's fields as the engine returns them, so that the imported
// duplicate (Spis_D32) and the stored taxpayer (SPISOK32) read alike.

#include <QDate>
#include <QString>
#include <QStringList>

#include "import/field_check.h"

namespace kvzt::engine {
class Table;
}
namespace kvzt::data {
class TdmKVZT;
}

namespace kvzt::duplicates::ui {

// The person fields of a Spis_D32 or SPISOK32 record.
struct PersonSource {
    QString fam, name, otc;
    QString inn, gni, tabNom;
    QString bornDate;  // "dd.mm.yyyy", empty when there is none
    QString dkod, dnom;
    QString jobStatus, status, strCode;
    QString adres;
};

PersonSource ReadPersonSource(const engine::Table& record);

struct PersonViewContent {
    QString fam, name, otc, inn, gni, bornDate, tabNom;
    QString document, jobStatus, status, country;
    QStringList addressLines;

    import::Rgb famCaption = import::kBlack;
    import::Rgb nameCaption = import::kBlack;
    import::Rgb otcCaption = import::kBlack;
    import::Rgb innCaption = import::kBlack;
    import::Rgb bornCaption = import::kBlack;
    import::Rgb gniCaption = import::kBlack;
    import::Rgb jobCaption = import::kBlack;
    import::Rgb statusCaption = import::kBlack;
    import::Rgb countryCaption = import::kBlack;  // both country labels
    import::Rgb documentCaption = import::kBlack;
    import::Rgb addressCaption = import::kBlack;
};

// Fills and checks every field; the country name, the document's text, the
// home country and the region names come from the data module's books.
// `today` is the latest birth date accepted.
PersonViewContent BuildPersonView(data::TdmKVZT& dm, const PersonSource& source, const QDate& today);

}  // namespace kvzt::duplicates::ui
