#pragma once
// Sets the decision mark INCL of every row of a duplicate table (Spis_D32 or
// SvB_32) at once, through the engine's SQL UPDATE on the database VX_S.

#include <QString>

namespace kvzt::data {
class TdmKVZT;
}

namespace kvzt::duplicates {

inline constexpr const char* kSpisDupTable = "Spis_D32";
inline constexpr const char* kSvedDupTable = "SvB_32";

// `mark`: "з", "д" or empty (no mark). Returns the number of rows changed.
// Throws EngineError(InvalidParam) for any other mark.
long long SetAllMarks(data::TdmKVZT& dm, const char* duplicateTable, const QString& mark);

}  // namespace kvzt::duplicates
