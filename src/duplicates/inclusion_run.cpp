#include "duplicates/inclusion_run.h"

#include "data/text_helpers.h"
#include "engine/errors.h"

namespace kvzt::duplicates {

Mark MarkOf(const QString& incl) {
    const QString mark = data::TrimBlanks(incl);
    if (mark == kMarkReplace) return Mark::Replace;
    if (mark == kMarkAdd) return Mark::Add;
    return Mark::None;
}

QString InclusionResult::errorText() const {
    if (!error) return {};
    QString why;
    try {
        std::rethrow_exception(error);
    } catch (const engine::EngineError& e) {
        why = QStringLiteral("%1 (код 0x%2)")
                  .arg(QString::fromUtf8(e.what()), QString::number(e.code(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    } catch (const std::exception& e) {
        why = QString::fromUtf8(e.what());
    } catch (...) {
        why = QStringLiteral("неизвестная ошибка");
    }
    if (failedAtClose)
        return QStringLiteral("Ошибка при закрытии таблиц после включения: %1. Включено записей: %2.").arg(why).arg(written());
    if (failedRow == 0) return QStringLiteral("Ошибка при подготовке включения: %1. Ничего не включено.").arg(why);
    return QStringLiteral("Ошибка при включении записи %1: %2. Эта запись не включена и осталась в списке дублей; "
                          "включено записей до неё: %3.")
        .arg(failedRow)
        .arg(why)
        .arg(written());
}

QString StoppedByUserText() { return QStringLiteral("Процесс включения остановлен пользователем"); }

}  // namespace kvzt::duplicates
