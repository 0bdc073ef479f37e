#include "data/ui/file_dialog_folders.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "data/settings_file.h"

namespace kvzt::data {

namespace {
const QString kFolders = QStringLiteral("Folders");
}  // namespace

QString FileNameIgnoringCase(const QString& directory, const QString& name) {
    const QDir dir(directory);
    if (directory.isEmpty() || !dir.exists() || dir.exists(name)) return name;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
    }
    return name;
}

QString RememberedFolder(const SettingsFile& settings, const QString& key) {
    const QString folder = settings.readString(kFolders, key, QString());
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void RememberFolder(SettingsFile& settings, const QString& key, const QString& chosenFile) {
    if (chosenFile.isEmpty()) return;
    settings.writeString(kFolders, key, QFileInfo(chosenFile).absolutePath());
}

void PrepareFileDialog(QFileDialog& dialog, const QString& key, const QString& fileName,
                       const QString& fallbackDirectory) {
    QString folder;
    if (const SettingsFile* settings = CurrentSettings()) folder = RememberedFolder(*settings, key);
    if (folder.isEmpty()) folder = fallbackDirectory;
    if (folder.isEmpty()) folder = dialog.directory().absolutePath();
    dialog.setDirectory(folder);
    dialog.selectFile(FileNameIgnoringCase(folder, fileName));
}

void RememberFileDialogFolder(const QString& key, const QString& chosenFile) {
    if (SettingsFile* settings = CurrentSettings()) {
        try {
            RememberFolder(*settings, key, chosenFile);
        } catch (const SettingsWriteError&) {
            // Not remembering a folder is no reason to stop the command.
        }
    }
}

}  // namespace kvzt::data
