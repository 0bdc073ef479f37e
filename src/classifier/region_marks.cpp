// The region marks of K1REG (YES2INS): which regions the next classifier
// run imports or deletes. Set through the data module's K1REG component, the
// one the run reads them from.

#include <QSet>

#include "classifier/kladr_process.h"
#include "data/data_module.h"
#include "engine/table.h"

namespace kvzt::classifier {

namespace {

void setMark(engine::Table& reg, bool marked) {
    if (reg.asBoolean("YES2INS") == marked) return;
    reg.edit();
    reg.setBoolean("YES2INS", marked);
    reg.post();
}

}  // namespace

void SetAllRegionMarks(data::TdmKVZT& dm, bool marked) {
    engine::Table& reg = dm.tbReg.table();
    for (reg.first(); !reg.eof(); reg.next()) setMark(reg, marked);
    reg.first();
}

bool MarkRegions(data::TdmKVZT& dm, const QStringList& codes) {
    engine::Table& reg = dm.tbReg.table();
    QSet<QString> wanted;
    for (const QString& code : codes) wanted.insert(code.trimmed());
    // Every code must name a region before any mark changes.
    QSet<QString> present;
    for (reg.first(); !reg.eof(); reg.next()) {
        const QString code = QString::fromStdString(reg.asString("KODREG"));
        if (wanted.contains(code)) present.insert(code);
    }
    if (present.size() != wanted.size()) return false;
    for (reg.first(); !reg.eof(); reg.next()) {
        setMark(reg, wanted.contains(QString::fromStdString(reg.asString("KODREG"))));
    }
    reg.first();
    return true;
}

}  // namespace kvzt::classifier
