#include "data/program_places.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "data/engine_session.h"

namespace kvzt::data {

namespace {

const QString kFolderName = QStringLiteral("kvzt");
const QString kEngineIni = QStringLiteral("engine.ini");

// Every build and install puts the reference books among the data, so they
// mark where the data is.
bool holdsData(const QString& directory) { return QFileInfo(QDir(directory).filePath(QStringLiteral("refbooks"))).isDir(); }

QString native(const QString& path) { return QDir::toNativeSeparators(QDir::cleanPath(path)); }

}  // namespace

bool IsWritableDirectory(const QString& directory) {
    if (!QFileInfo(directory).isDir()) return false;
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral(".kvzt-write-test-XXXXXX")));
    return probe.open();
}

ProgramPlaces LocatePlaces(const QString& programDir, const QString& userDataDir, const QString& userConfigDir) {
    ProgramPlaces places;
    const QString shared = QDir(programDir).filePath(QStringLiteral("../share/kvzt"));
    const bool beside = holdsData(programDir);
    places.installed = !beside && holdsData(shared);
    places.dataDirectory = native(places.installed ? shared : programDir);

    const bool besideWritable = !places.installed && IsWritableDirectory(programDir);
    places.writableDirectory = native(besideWritable ? programDir : userDataDir);

    const QString besideIni = QDir(programDir).filePath(kEngineIni);
    const QString userIni = QDir(userConfigDir).filePath(kEngineIni);
    if (QFileInfo::exists(besideIni)) {
        places.engineIni = besideIni;
    } else if (QFileInfo::exists(userIni) || !besideWritable) {
        places.engineIni = userIni;
    } else {
        places.engineIni = besideIni;
    }
    places.engineIni = native(places.engineIni);
    return places;
}

const ProgramPlaces& Places() {
    static const ProgramPlaces places =
        LocatePlaces(QString::fromStdString(ProgramDirectory()), UserDataDirectory(), UserConfigDirectory());
    return places;
}

QString UserDataDirectory() {
    return native(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(kFolderName));
}

QString UserConfigDirectory() {
    return native(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(kFolderName));
}

}  // namespace kvzt::data
