#pragma once
// The fields a duplicate row carries into the host's tables: the seventeen
// person fields of a Spis_D32 row written into SPISOK32, and the statement
// fields of an SvB_32 row written into SvBase32. Both copy from the current
// row of the duplicate cursor into the record being edited or appended.

namespace kvzt::engine {
class Table;
}

namespace kvzt::duplicates {

// FAM … TABNMB: texts as texts, ISSPRAV and ISKART as booleans, DATEROG and
// DATADOLJN as dates (a missing date is written as a missing date). NOM is
// not copied. An empty GNI, DOLJN, DATADOLJN or TABNMB (a DOS 2.* source has
// none) leaves the stored value as it is.
void CopyPersonFields(const engine::Table& duplicate, engine::Table& person);

// NOM … TSVED without ID and IDDOK: sums and coefficients as floating-point
// numbers, NOM and REESTRNMB as integers, the rest as texts; DSVED and
// DATAVID only when the duplicate has a date (a replaced statement keeps its
// own, an added one stays empty). SUMRASH, VICHSUM and OSNNOTPAY are left
// alone.
void CopyStatementFields(const engine::Table& duplicate, engine::Table& statement);

}  // namespace kvzt::duplicates
