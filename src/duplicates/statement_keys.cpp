#include "duplicates/statement_keys.h"

#include "data/text_helpers.h"
#include "engine/errors.h"
#include "engine/table.h"

namespace kvzt::duplicates {

QString NextKeyText(const QString& lastKey, int width) {
    bool ok = false;
    qint64 value = data::TrimBlanks(lastKey).toLongLong(&ok);
    if (!ok || value < 0) value = 0;
    const QString next = QString::number(value + 1);
    if (next.size() > width) {
        throw engine::EngineError(engine::code::ValueOutOfRange,
                                  QStringLiteral("Следующий номер %1 не помещается в %2 знаков")
                                      .arg(next)
                                      .arg(width)
                                      .toStdString());
    }
    return next.rightJustified(width, QLatin1Char(' '));
}

QString NextStatementKey(engine::Table& statements, const char* tag, const char* field, int width) {
    const std::string previousTag = statements.indexName();
    const engine::Bookmark here = statements.bookmark();
    statements.setIndex(tag);
    statements.last();
    // last() leaves eof() set; an empty table has no current record.
    const QString last = statements.recNo() == 0 ? QString() : QString::fromStdString(statements.asString(field));
    statements.setIndex(previousTag);
    if (here.recno != 0) statements.gotoBookmark(here);
    return NextKeyText(last, width);
}

}  // namespace kvzt::duplicates
