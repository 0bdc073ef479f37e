// The file dialogs: the folder each command used last, and the offered file
// found whatever the letter case of its name on a case-sensitive disk.

#include <gtest/gtest.h>

#include <QDir>
#include <QApplication>
#include <QFileDialog>

#include "data/settings_file.h"
#include "data/ui/file_dialog_folders.h"
#include "support/qt_app_support.h"
#include "support/test_support.h"

using namespace kvzt::data;
using kvzt::test::TempDir;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

void touch(const std::string& path) { kvzt::test::writeFile(path, "x"); }

}  // namespace

TEST(FileDialogFolders, OfferedFileIsFoundWhateverItsLetterCase) {
    TempDir dir;
    touch(dir.file("spisok.dbf"));
    EXPECT_EQ(FileNameIgnoringCase(q(dir.path()), QStringLiteral("Spisok.dbf")), QStringLiteral("spisok.dbf"));
    EXPECT_EQ(FileNameIgnoringCase(q(dir.path()), QStringLiteral("Spisok32.dbf")), QStringLiteral("Spisok32.dbf"));
    touch(dir.file("Spisok.dbf"));  // an exact match wins over another case
    EXPECT_EQ(FileNameIgnoringCase(q(dir.path()), QStringLiteral("Spisok.dbf")), QStringLiteral("Spisok.dbf"));
}

TEST(FileDialogFolders, EachCommandOpensWhereItWasLastUsed) {
    kvzt::test::qtApp();
    TempDir ini, sources, other;
    touch(sources.file("spisok.dbf"));
    OpenSettings(q(ini.file("KvZt32")));

    QFileDialog first;
    PrepareFileDialog(first, QStringLiteral("ImportDos2"), QStringLiteral("Spisok.dbf"), q(other.path()));
    EXPECT_EQ(QDir(first.directory()).canonicalPath(), QDir(q(other.path())).canonicalPath());  // nothing remembered yet

    RememberFileDialogFolder(QStringLiteral("ImportDos2"), q(sources.file("spisok.dbf")));
    QFileDialog again;
    PrepareFileDialog(again, QStringLiteral("ImportDos2"), QStringLiteral("Spisok.dbf"), q(other.path()));
    EXPECT_EQ(QDir(again.directory()).canonicalPath(), QDir(q(sources.path())).canonicalPath());
    ASSERT_FALSE(again.selectedFiles().isEmpty());
    EXPECT_EQ(QFileInfo(again.selectedFiles().first()).fileName(), QStringLiteral("spisok.dbf"));
    if (const QString shots = qEnvironmentVariable("KVZT_SHOT_DIR"); !shots.isEmpty()) {
        again.show();
        kvzt::test::qtApp().processEvents();
        again.grab().save(shots + QStringLiteral("/file_dialog.png"));
        again.hide();
    }

    // Another command keeps its own folder; a remembered folder that is gone gives way.
    QFileDialog kladr;
    PrepareFileDialog(kladr, QStringLiteral("KladrImport"), QStringLiteral("Kladr.dbf"), q(other.path()));
    EXPECT_EQ(QDir(kladr.directory()).canonicalPath(), QDir(q(other.path())).canonicalPath());
    SettingsFile* settings = CurrentSettings();
    ASSERT_NE(settings, nullptr);
    settings->writeString(QStringLiteral("Folders"), QStringLiteral("KladrImport"), q(other.file("gone")));
    EXPECT_TRUE(RememberedFolder(*settings, QStringLiteral("KladrImport")).isEmpty());
    CloseSettings();
}
