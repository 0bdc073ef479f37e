#include "duplicates/mark_all.h"

#include "data/data_module.h"
#include "duplicates/inclusion_run.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/session.h"

namespace kvzt::duplicates {

long long SetAllMarks(data::TdmKVZT& dm, const char* duplicateTable, const QString& mark) {
    if (!mark.isEmpty() && mark != kMarkReplace && mark != kMarkAdd) {
        throw engine::EngineError(engine::code::InvalidParam,
                                  "Недопустимая отметка \"" + mark.toStdString() + "\": допустимы \"з\" и \"д\"");
    }
    const std::string statement =
        std::string("UPDATE ") + duplicateTable + " SET INCL = \"" + mark.toStdString() + "\"";
    return dm.session().database("VX_S").execSql(statement).rowsAffected;
}

}  // namespace kvzt::duplicates
