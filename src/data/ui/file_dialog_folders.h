#pragma once
// What the program's file dialogs share: each opens in the folder last used
// for its command (kept in the settings file, section [Folders], under the
// command's key), and the file it offers is preselected whatever the letter
// case of its name on the disk ("Spisok.dbf" finds "spisok.dbf").

#include <QString>

class QFileDialog;

namespace kvzt::data {

class SettingsFile;

// The name of the entry of `directory` that equals `name` ignoring letter
// case (an exact match first); `name` itself when there is none.
QString FileNameIgnoringCase(const QString& directory, const QString& name);

// Opens `dialog` in the folder remembered under `key` (or `fallbackDirectory`
// when none is remembered or it is gone) with `fileName` preselected.
void PrepareFileDialog(QFileDialog& dialog, const QString& key, const QString& fileName,
                       const QString& fallbackDirectory = {});
// Remembers the folder of `chosenFile` under `key`; nothing for an empty choice.
void RememberFileDialogFolder(const QString& key, const QString& chosenFile);

// The same on a given settings file (the two above use the program's own).
QString RememberedFolder(const SettingsFile& settings, const QString& key);
void RememberFolder(SettingsFile& settings, const QString& key, const QString& chosenFile);

}  // namespace kvzt::data
