#include "duplicates/income_sources.h"

#include <memory>

#include "data/data_module.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"

namespace kvzt::duplicates {

namespace {

bool isDos(import::SourceKind kind) { return kind == import::SourceKind::Dos2; }

// The data module's source component, opened when it is not; closes it
// again on leaving when it opened it.
class SourceCursor {
public:
    explicit SourceCursor(data::TableComponent& component) : component_(component), wasOpen_(component.active()) {
        if (!wasOpen_ && component.databaseName().isEmpty()) {
            throw engine::EngineError(engine::code::InvalidParam, "Не задан каталог исходных данных импорта для таблицы " +
                                                                      component.tableName().toStdString());
        }
        table_ = &component.table();
    }
    ~SourceCursor() {
        try {
            if (!wasOpen_) component_.close();
        } catch (...) {  // a destructor cannot report; the run's own error is the one that matters
        }
    }
    SourceCursor(const SourceCursor&) = delete;
    SourceCursor& operator=(const SourceCursor&) = delete;
    engine::Table* operator->() { return table_; }
    engine::Table& operator*() { return *table_; }

private:
    data::TableComponent& component_;
    bool wasOpen_;
    engine::Table* table_ = nullptr;
};

}  // namespace

SourceTableNames IncomeSourceNames(import::SourceKind kind) {
    if (isDos(kind)) return {"Doxod", "Vicet", "Object"};
    return {"Doxod22", "Vicet22", "NH22"};
}

engine::CodePage IncomeSourceCodePage(import::SourceKind kind) {
    return isDos(kind) ? engine::CodePage::Cp866 : engine::CodePage::Cp1251;
}

void SetIncomeSources(data::TdmKVZT& dm, const QString& srcDir, import::SourceKind kind) {
    for (data::TableComponent* c : {&dm.tbDosDoxod, &dm.tbDosVicet, &dm.tbDosNewHome}) {
        c->setDatabaseName(srcDir);
        c->setDirectoryCodePage(IncomeSourceCodePage(kind));
    }
    const SourceTableNames names = IncomeSourceNames(kind);
    dm.tbDosDoxod.setTableName(QString::fromLatin1(names.incomes));
    dm.tbDosVicet.setTableName(QString::fromLatin1(names.deductions));
    dm.tbDosNewHome.setTableName(QString::fromLatin1(names.objects));
}

std::string IncomeSources::keyOfSource(const engine::Table& source) const {
    if (isDos(kind_)) return std::to_string(source.asInteger("Nom"));
    return source.asString("Id");
}

IncomeSources IncomeSources::load(data::TdmKVZT& dm, import::SourceKind kind) {
    IncomeSources sources(kind);
    const char* kodSk = isDos(kind) ? "Ksk" : "KodSk";
    const char* objectName = isDos(kind) ? "Object" : "Name";

    SourceCursor incomes(dm.tbDosDoxod);
    for (incomes->first(); !incomes->eof(); incomes->next()) {
        sources.byKey_[sources.keyOfSource(*incomes)].incomes.push_back(
            {incomes->asString("Kod"), incomes->asFloat("Sum"), incomes->asString(kodSk), incomes->asFloat("Sk")});
    }

    SourceCursor deductions(dm.tbDosVicet);
    for (deductions->first(); !deductions->eof(); deductions->next()) {
        sources.byKey_[sources.keyOfSource(*deductions)].deductions.push_back(
            {deductions->asString("Kod"), deductions->asFloat("Sum")});
    }

    SourceCursor objects(dm.tbDosNewHome);
    for (objects->first(); !objects->eof(); objects->next()) {
        sources.byKey_[sources.keyOfSource(*objects)].objects.push_back(objects->asString(objectName));
    }
    return sources;
}

const SourceDetails& IncomeSources::of(const engine::Table& duplicate) const {
    const std::string key =
        isDos(kind_) ? std::to_string(duplicate.asInteger("NOMDOS")) : duplicate.asString("IDWIN_I");
    const auto it = byKey_.find(key);
    return it == byKey_.end() ? none_ : it->second;
}

}  // namespace kvzt::duplicates
