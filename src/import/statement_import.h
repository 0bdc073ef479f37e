#pragma once
// The income statements of one source taxpayer: added to Svbase32 as new
// statements with their income lines, deductions and objects, or set aside
// in SvB_32 as duplicates paired with the stored statements of a twin.
//
// A new statement gets ID = the highest stored ID + 1 (9 characters,
// right-aligned) and IDDOK = its own document number unless that is taken,
// else the highest stored IDDOK + 1 (8 characters, right-aligned). Both look
// at Svbase32 as it is at that moment, so statements added earlier in the
// same run count.
//
// A new statement's detail rows are posted first, the statement last, all
// inside the run's transaction (data/batch_transaction.h).

#include <QString>

#include <cstdint>

namespace kvzt::engine {
class Table;
}

namespace kvzt::import {

struct ImportContext;

// For a source taxpayer matched to the stored twin `twinNom`: when the twin
// has no stored statement, the source statements are added under the twin;
// otherwise every (stored, source) pair gives one duplicate in SvB_32.
void RouteTwinStatements(ImportContext& ctx, std::int64_t twinNom);

// For a source taxpayer just added under `nom`: his statements are added.
void RouteNewStatements(ImportContext& ctx, std::int64_t nom);

// Appends the current source statement to Svbase32 with its detail rows
// (`id` not empty) or to SvB_32 as a duplicate (`id` empty), and posts it.
void CopySvedRec(ImportContext& ctx, engine::Table& destination, std::int64_t nom, const QString& idDok,
                 const QString& id);

QString UniqueIdDok(ImportContext& ctx, const QString& proposed);
QString NextSvedId(ImportContext& ctx);

}  // namespace kvzt::import
