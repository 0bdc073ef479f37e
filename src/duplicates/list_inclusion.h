#pragma once
// The taxpayer-list inclusion: writes the decisions of the taxpayer
// duplicate review into SPISOK32. A row of Spis_D32 marked "з" overwrites
// the seventeen person fields of its stored twin (found by NOM; the twin
// keeps its number), a row marked "д" is appended under the highest NOM plus
// 1 (1 for an empty list). Each written row is deleted from Spis_D32; rows
// without a mark, with another mark, or marked "з" whose twin is gone stay.
//
// A taxpayer record and the deletion of its Spis_D32 row are committed
// together (inclusion_batch.h), so an error or a crash never leaves a
// half-written record, nor a written one whose duplicate row still waits.

#include "duplicates/inclusion_run.h"

namespace kvzt::data {
class TdmKVZT;
}
namespace kvzt::engine {
class Table;
}

namespace kvzt::duplicates {

struct ListInclusionRequest {
    // The review window's cursor on Spis_D32, in its order; when null the
    // run opens Spis_D32 (alias VX_S, tag FIOX) itself and closes it again.
    engine::Table* duplicates = nullptr;
    InclusionHooks hooks;
    // How long one transaction gathers rows (0: one row each).
    int transactionSpanMs = 1000;
};

// Runs to the end of Spis_D32, to a stop or to the first error. The data
// module's list table tbSpisok is on tag NOMX during the run and on FIOBORN
// afterwards (it is closed again when the run opened it). The duplicate
// cursor is left on its first row. Errors are not thrown: they come back in
// the result.
InclusionResult RunListInclusion(data::TdmKVZT& dm, const ListInclusionRequest& request,
                                 InclusionProgress& progress);

}  // namespace kvzt::duplicates
