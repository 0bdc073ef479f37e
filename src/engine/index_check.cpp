#include "engine/index_check.h"

#include <sys/stat.h>

#include <cerrno>

#include <memory>

#include "engine/dbf_file.h"
#include "engine/errors.h"
#include "engine/production_index.h"

namespace kvzt::engine {

namespace {

std::string damaged(const std::string& mdxPath, const std::string& what) {
    return "Файл индекса «" + mdxPath + "» повреждён: " + what;
}

// The first and last entries of the tag: walking down the leftmost and the
// rightmost path reads (and checks) every node on them.
std::string checkEnds(IndexTag& tag, std::uint32_t recordCount, const std::string& mdxPath) {
    for (const auto& entry : {tag.first(), tag.last()}) {
        if (entry && (entry->recno == 0 || entry->recno > recordCount))
            return damaged(mdxPath, "тег " + tag.name() + " ссылается на запись " + std::to_string(entry->recno) +
                                        ", а в таблице записей " + std::to_string(recordCount));
    }
    return {};
}

}  // namespace

IndexCheck checkProductionIndex(const std::string& dbfPath, const std::string& mdxPath,
                                CodePage defaultCodePage) {
    IndexCheck result;
    std::unique_ptr<DbfFile> dbf = DbfFile::open(dbfPath, OpenMode::ReadOnly);
    const DbfHeader header = dbf->header();
    dbf.reset();

    struct stat st {};
    if (::stat(mdxPath.c_str(), &st) != 0) throwIoError(mdxPath, errno);
    if (st.st_size == 0) {
        result.problem = "Файл индекса «" + mdxPath + "» пуст";
        return result;
    }
    const CodePage cp = codePageOfDriver(header.languageDriver).value_or(defaultCodePage);
    try {
        std::unique_ptr<ProductionIndex> index = ProductionIndex::open(mdxPath, header.fields, cp, false);
        for (IndexTag* tag : index->tags()) {
            result.tags.push_back(tag->name());
            if (result.problem.empty()) result.problem = checkEnds(*tag, header.recordCount, mdxPath);
        }
    } catch (const EngineError& error) {
        if (error.code() != code::Corrupt && error.code() != code::InvalidKeyExpression) throw;
        result.problem = error.code() == code::Corrupt ? std::string(error.what())
                                                      : damaged(mdxPath, error.what());
        return result;
    }
    if (result.problem.empty() && header.productionIndex == 0)
        result.problem = "Таблица «" + dbfPath + "» не отмечена как имеющая индекс «" + mdxPath +
                         "», индекс не поддерживался";
    return result;
}

}  // namespace kvzt::engine
