#include "data/engine_session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "data/program_places.h"

namespace kvzt::data {

std::string ProgramDirectory() {
    if (QCoreApplication::instance()) {
        return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    }
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    if (self.exists()) {
        return QFileInfo(self.canonicalFilePath()).absolutePath().toStdString();
    }
    return QDir::currentPath().toStdString();
}

std::string EngineIniPath() { return Places().engineIni.toStdString(); }

void ApplyEmbeddedDefaults(engine::AliasConfig& config) {
    if (config.directory("VX_B") || config.directory("VX_S")) return;
    const ProgramPlaces& places = Places();
    // The user's folders may not exist yet on a first start.
    QDir().mkpath(QFileInfo(places.engineIni).absolutePath());
    config.applyEmbeddedDefaults(places.engineIni.toStdString(), places.writableDirectory.toStdString(),
                                 UserDataDirectory().toStdString());
}

std::unique_ptr<engine::Session> OpenSession(const std::vector<std::string>& aliasOverrides) {
    return std::make_unique<engine::Session>(engine::AliasConfig::load(EngineIniPath(), aliasOverrides));
}

}  // namespace kvzt::data
