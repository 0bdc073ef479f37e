#include "data/engine_session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "engine/path_util.h"

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

std::string EngineIniPath() { return engine::joinPath(ProgramDirectory(), "engine.ini"); }

std::unique_ptr<engine::Session> OpenSession(const std::vector<std::string>& aliasOverrides) {
    return std::make_unique<engine::Session>(engine::AliasConfig::load(EngineIniPath(), aliasOverrides));
}

}  // namespace kvzt::data
