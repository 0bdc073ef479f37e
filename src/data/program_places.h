#pragma once
// Where the program finds its files and where it keeps the ones it writes.
//
//   read-only data (refbooks/, IMP/, translations/):
//       beside the executable (build tree, a program unpacked into a folder
//       of its own on Windows), else <prefix>/share/kvzt when installed
//       (the executable in <prefix>/bin)
//   written files (KvZt32.ini, the embedded default database data/):
//       beside the executable when the data is there too and the folder is
//       writable; otherwise the user's data folder (an installed program
//       never writes beside itself)
//   engine.ini: beside the executable when there, else the user's
//       configuration folder; written (with the embedded defaults) where the
//       written files go, or to the configuration folder

#include <QString>

namespace kvzt::data {

struct ProgramPlaces {
    QString dataDirectory;      // refbooks, IMP, translations
    QString writableDirectory;  // KvZt32.ini, data/base and data/sprav
    QString engineIni;          // read from and written to
    bool installed = false;     // data found under ../share/kvzt
};

// The rules above for a program in `programDir`, with the user's folders given.
ProgramPlaces LocatePlaces(const QString& programDir, const QString& userDataDir, const QString& userConfigDir);

// The rules for the running program (computed once).
const ProgramPlaces& Places();

// The user's own folders for the program: ~/.local/share/kvzt and
// ~/.config/kvzt on Linux, %LOCALAPPDATA%\kvzt on Windows. The same for the
// desktop program and the command line.
QString UserDataDirectory();
QString UserConfigDirectory();

// True when a file can be created in `directory` (tried for real: the
// permission bits say yes to root everywhere, and Windows folders may refuse
// by their access lists).
bool IsWritableDirectory(const QString& directory);

}  // namespace kvzt::data
