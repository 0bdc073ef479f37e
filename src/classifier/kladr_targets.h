#pragma once
// The five classifier tables held by a run: each opened exclusively, on the
// tag the run walks it by or in natural order while loading.

#include <array>
#include <memory>

#include "classifier/kladr_tables.h"

namespace kvzt::engine {
class Database;
class Table;
}  // namespace kvzt::engine

namespace kvzt::classifier {

class KladrTargets {
public:
    explicit KladrTargets(engine::Database& database);
    ~KladrTargets();
    KladrTargets(const KladrTargets&) = delete;
    KladrTargets& operator=(const KladrTargets&) = delete;

    // Opens the table exclusively on its tag. A table left without that tag
    // (a run that failed between dropping and rebuilding its indexes) gets
    // its catalogue tags back first.
    engine::Table& openOnTag(const KladrTable& table);
    // Opens the table exclusively in natural order (indexes dropped).
    engine::Table& openNatural(const KladrTable& table);
    void openAllOnTags();

    engine::Table& operator[](const KladrTable& table);
    void close(const KladrTable& table);
    void closeAll();

private:
    std::size_t slot(const KladrTable& table) const;

    engine::Database& database_;
    std::array<std::unique_ptr<engine::Table>, kKladrTables.size()> open_;
};

}  // namespace kvzt::classifier
