#pragma once
// Entry operations of the parts the main window starts. Each takes the
// command's parameter, runs its window modally and returns when it is closed.

#include <QString>

namespace kvzt::app {

// The import of earlier-version data from `directory` (ending with a
// separator); `kind` 1 DOS 1.*, 2 DOS 2.*, 3 Win 3.2. Clears and then sets
// data::SpisDblFound and data::SvedDblFound.
void RunImpSpis(const QString& directory, quint8 kind);
// The taxpayer-list duplicate review.
void ReviewSpisDbl();
// The income duplicate review for the import kind.
void ReviewSvedDbl(quint8 kind);
// The region selection of the address classifier: import mode (true) or deletion (false).
void RunImpKladr(bool importMode);
// The reference-book tuning: 0 identity documents, 1 income kinds, 2 deduction kinds.
void RunSprTools(quint8 tag);
// The data service: 0–3 reindex, 4–7 pack, 10 and 11 clear.
void RunDataServ(quint8 tag);

}  // namespace kvzt::app
