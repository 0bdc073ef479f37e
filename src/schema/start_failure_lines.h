#pragma once
// The start-up check's failures put for the user: each cause said once.
// A missing alias directory makes every table under it fail with the same
// cause; it is said in one line («Каталог VX_B "…" не найден») in place of
// a line per table. Lines that repeat one cause word for word are said once.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kvzt::schema {

struct StartCheckReport;

// `aliasDirectory` gives an alias's directory, nothing for an unknown alias.
QStringList StartFailureLines(const StartCheckReport& report,
                              const std::function<std::optional<QString>(const QString& alias)>& aliasDirectory);

}  // namespace kvzt::schema
