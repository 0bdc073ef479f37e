#pragma once
// The program's settings file "KvZt32.ini" beside the executable: a Windows
// private-profile file in code page 1251, CR LF line ends:
//
//   [FORMS]
//   fmMain0=0,  108,  200,  122,  544
//   [GRIDS]
//   dbgDubl0=FAM,  120,  Фамилия,  ...
//
// Section and key names compare ignoring letter case; blanks around names and
// values are not part of them; a value enclosed in a pair of the same quote
// characters is read without them. Writing a key rewrites only that key's
// line (or adds it, and its section, at the end) and keeps every other line
// of the file byte for byte.
//
// Our own reader and writer rather than QSettings: QSettings' INI format
// escapes non-ASCII text and commas, quotes values, writes UTF-8 and drops
// lines it does not understand, so neither the host-era files nor hand edits
// would survive a write.

#include <QString>

#include <memory>
#include <stdexcept>

namespace kvzt::data {

// A write to the settings file failed; the message names the file.
class SettingsWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SettingsFile {
public:
    // The value a missing key yields.
    static inline const QString kMissing = QStringLiteral("err");
    // Longest value handed out by readString.
    static constexpr qsizetype kMaxValue = 1024;

    explicit SettingsFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // The key's value, at most 1024 characters; `fallback` when the file, the
    // section or the key is missing or the file cannot be read.
    QString readString(const QString& section, const QString& key, const QString& fallback = kMissing) const;
    // Sets the key's value. Throws SettingsWriteError naming the file when it
    // cannot be written. Characters code page 1251 lacks are stored as "?".
    void writeString(const QString& section, const QString& key, const QString& value);

private:
    QString path_;
};

// The program's one settings file, open from the main window's creation to its
// destruction: base name + ".ini" in the folder the program writes to (the
// executable's, or the user's data folder when installed; program_places.h).
SettingsFile& OpenSettings(const QString& baseName);
void CloseSettings();
// The open settings file, or null when none is open.
SettingsFile* CurrentSettings();

}  // namespace kvzt::data
