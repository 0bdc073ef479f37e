#pragma once
// The address classifier run: loads the regions marked in K1REG (YES2INS)
// from the two distribution files kladr.dbf and street.dbf into K2RAI …
// K6DOM and K7SOCR, or, in the deletion mode, only removes what is
// installed for them.
//
// The run reports through KladrProgress; the classifier window shows it in
// its status line and gauge, the command line on stderr.

#include <QString>
#include <QStringList>

namespace kvzt::data {
class TdmKVZT;
}

namespace kvzt::classifier {

// The directory as the run keeps it: blank stays as given (the deletion
// mode); otherwise a separator is added when it does not end with one. The
// path is used whole, however long.
QString KladrDirFrom(const QString& directory);

struct KladrRequest {
    QString kladrDir;        // blank: the deletion mode
    bool impStreets = true;  // read street.dbf too

    bool deletionMode() const { return kladrDir.trimmed().isEmpty(); }
};

class KladrProgress {
public:
    virtual ~KladrProgress() = default;
    virtual void setMaximum(int maximum) = 0;
    virtual void advance(int steps = 1) = 0;
    virtual void setPosition(int position) = 0;
    virtual void setStatusText(const QString& text) = 0;
    // Lets a window repaint and take its messages.
    virtual void processMessages() {}
};

struct KladrResult {
    int districts = 0;
    int towns = 0;
    int settlements = 0;
    int streets = 0;
    int houses = 0;
    int newAbbreviations = 0;
    QStringList regionsDone;  // codes of the regions imported or deleted
};

// Runs the whole job once. An error (EngineError, EPackError) is thrown and
// ends the run; what was deleted or appended before it stays.
KladrResult KladrProcess(data::TdmKVZT& dm, const KladrRequest& request, KladrProgress& progress);

// Region marks (YES2INS of every K1REG record), through the data module's
// K1REG component: all set or all cleared.
void SetAllRegionMarks(data::TdmKVZT& dm, bool marked);
// Marks exactly the regions whose codes are given; false (nothing changed)
// when a code is not in K1REG.
bool MarkRegions(data::TdmKVZT& dm, const QStringList& codes);

}  // namespace kvzt::classifier
