// The toolkit's Russian texts: found beside the program first, else in the system.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/toolkit_translation.h"
#include "support/test_support.h"

using kvzt::test::TempDir;

namespace {

QString systemCopy() {
    return QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(QStringLiteral("qtbase_ru.qm"));
}

}  // namespace

TEST(ToolkitTranslation, BesideTheProgramFirstThenTheSystem) {
    if (!QFile::exists(systemCopy())) GTEST_SKIP() << "qt6-translations-l10n is not installed";
    TempDir program;
    {
        QTranslator fromSystem;
        ASSERT_TRUE(kvzt::app::LoadToolkitTranslation(fromSystem, QString::fromStdString(program.path())));
        EXPECT_EQ(fromSystem.filePath(), systemCopy());
        // The buttons of every message box and the file dialog's captions.
        EXPECT_EQ(fromSystem.translate("QPlatformTheme", "Cancel"), QString::fromUtf8("Отмена"));
        EXPECT_FALSE(fromSystem.translate("QFileDialog", "Look in:").isEmpty());
    }
    QDir(QString::fromStdString(program.path())).mkdir(QStringLiteral("translations"));
    const QString shipped = QString::fromStdString(program.file("translations/qtbase_ru.qm"));
    ASSERT_TRUE(QFile::copy(systemCopy(), shipped));
    QTranslator fromProgram;
    ASSERT_TRUE(kvzt::app::LoadToolkitTranslation(fromProgram, QString::fromStdString(program.path())));
    EXPECT_EQ(fromProgram.filePath(), shipped);
}
