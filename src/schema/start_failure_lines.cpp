#include "schema/start_failure_lines.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSet>

#include "schema/start_check.h"

namespace kvzt::schema {

namespace {

// "VX_B:SPISOK32.DBF: message" → alias and message; a line of another shape
// has neither.
struct Failure {
    QString alias;
    QString cause;
};

Failure split(const QString& line) {
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    const qsizetype afterLabel = line.indexOf(QStringLiteral(": "), colon + 1);
    if (colon <= 0 || afterLabel < 0) return {};
    return {line.left(colon), line.mid(afterLabel + 2)};
}

}  // namespace

QStringList StartFailureLines(const StartCheckReport& report,
                              const std::function<std::optional<QString>(const QString& alias)>& aliasDirectory) {
    QStringList lines;
    QMap<QString, bool> missingDirectory;  // alias → its directory is missing (asked once per alias)
    QSet<QString> saidCauses;
    for (const QString& line : report.failures) {
        const Failure failure = split(line);
        if (!failure.alias.isEmpty()) {
            if (!missingDirectory.contains(failure.alias)) {
                const std::optional<QString> directory = aliasDirectory(failure.alias);
                const bool missing = directory && !QFileInfo(*directory).isDir();
                missingDirectory.insert(failure.alias, missing);
                if (missing) {
                    lines.append(QStringLiteral("Каталог %1 \"%2\" не найден")
                                     .arg(failure.alias, QDir::toNativeSeparators(*directory)));
                }
            }
            if (missingDirectory.value(failure.alias)) continue;
        }
        // The same cause for several tables (an unknown alias, say) once.
        const QString cause = failure.cause.isEmpty() ? line : failure.cause;
        if (saidCauses.contains(cause)) continue;
        saidCauses.insert(cause);
        lines.append(line);
    }
    return lines;
}

}  // namespace kvzt::schema
