#pragma once
// The income inclusion: writes the decisions of the income duplicate review
// into SvBase32 and its detail tables Doxod22, Vicet22 and NH22.
//
// A row of SvB_32 marked "з" overwrites the stored statement whose IDDOK is
// the row's IDDOK (the twin keeps its ID; its document number becomes the
// imported IDDOK_I, or the next free number when another statement has that
// one) and its incomes, deductions and objects are replaced by the imported
// ones. A row marked "д" becomes a new statement with IDDOK_I (or the next
// number when taken) and the next ID. The imported detail rows are read from
// the import's source tables (income_sources.h).
//
// A statement with its detail rows and the deletion of its SvB_32 row are
// committed together (inclusion_batch.h; the statement table, opened by alias
// VX_B, is covered by the same database object as the detail tables); the
// statement record is posted after its rows. An error inside a row rolls the
// whole row back.

#include "duplicates/inclusion_run.h"
#include "import/import_run.h"

namespace kvzt::data {
class TdmKVZT;
}
namespace kvzt::engine {
class Table;
}

namespace kvzt::duplicates {

struct IncomeInclusionRequest {
    // 2: DOS 2.* sources; any other kind: Win 3.2 sources.
    import::SourceKind kind = import::SourceKind::Win32;
    // The review window's cursor on SvB_32, in its order; when null the run
    // opens SvB_32 (alias VX_S, tag FIOX) itself and closes it again.
    engine::Table* duplicates = nullptr;
    InclusionHooks hooks;
    // How long one transaction gathers rows (0: one row each).
    int transactionSpanMs = 1000;
};

// Runs to the end of SvB_32, to a stop or to the first error. The data
// module's tbSved is on tag IDDOKX during the run and on NOMX afterwards;
// tbSved, tbDoxod, tbVicet and tbNewHome are closed again when the run opened
// them. The source tables are read once, when the first marked row is
// reached. The duplicate cursor is left on its first row. Errors are not
// thrown: they come back in the result.
InclusionResult RunIncomeInclusion(data::TdmKVZT& dm, const IncomeInclusionRequest& request,
                                   InclusionProgress& progress);

}  // namespace kvzt::duplicates
