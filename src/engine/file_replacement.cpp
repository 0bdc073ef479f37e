#include "engine/file_replacement.h"

#include "engine/file_io.h"
#include "engine/path_util.h"

namespace kvzt::engine {

ReplacementNames replacementNames(const std::string& dbfPath) {
    return {dbfPath + ".kvzt-pack", dbfPath + ".kvzt-pack-index", dbfPath + ".kvzt-reindex"};
}

void settleInterruptedReplacement(const std::string& dbfPath) {
    const ReplacementNames names = replacementNames(dbfPath);
    const bool table = io::exists(names.table);
    const bool packIndex = io::exists(names.packIndex);
    const bool reindex = io::exists(names.reindex);
    if (!table && !packIndex && !reindex) return;
    const std::string directory = directoryOf(dbfPath);
    if (table) {
        io::remove(names.packIndex);
        io::remove(names.table);
    } else if (packIndex) {
        const std::string mdxName = mdxNameFor(fileNameOf(dbfPath));
        const std::string mdx = findFileNoCase(directory, mdxName).value_or(joinPath(directory, mdxName));
        io::rename(names.packIndex, mdx);
    }
    if (reindex) io::remove(names.reindex);
    io::syncDirectory(directory);
}

}  // namespace kvzt::engine
