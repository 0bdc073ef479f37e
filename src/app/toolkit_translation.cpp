#include "app/toolkit_translation.h"

#include <QDir>
#include <QLibraryInfo>
#include <QString>
#include <QTranslator>

namespace kvzt::app {

bool LoadToolkitTranslation(QTranslator& translator, const QString& dataDir) {
    const QString name = QStringLiteral("qtbase_ru");
    for (const QString& folder : {QDir(dataDir).filePath(QStringLiteral("translations")),
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (translator.load(name, folder)) return true;
    }
    return false;
}

}  // namespace kvzt::app
