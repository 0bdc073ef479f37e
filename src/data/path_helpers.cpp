#include "data/path_helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTime>

#include "engine/errors.h"
#include "engine/path_util.h"
#include "engine/session.h"

#ifdef Q_OS_WIN
#include <windows.h>
#include <shellapi.h>
#endif

namespace kvzt::data {

namespace {

constexpr int kMsPerDay = 86'400'000;
constexpr qint64 kIndexFlagOffset = 28;

bool endsWithSeparator(const QString& path) {
    return path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'));
}

bool namesDirectory(const QString& database) {
    return database.contains(QLatin1Char(':')) || database.contains(QLatin1Char('/')) ||
           database.contains(QLatin1Char('\\'));
}

}  // namespace

QString AliasPath(const engine::Session& session, const QString& alias) {
    return QString::fromStdString(session.aliasPath(alias.toStdString()));
}

QString JoinPath(const QString& directory, const QString& file) {
    if (directory.isEmpty()) return file;
    if (endsWithSeparator(directory)) return directory + file;
    return directory + QDir::separator() + file;
}

qint64 FileSizeOf(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile() ? info.size() : -1;
}

QString TableFilePath(const engine::Session& session, const QString& database, const QString& tableName) {
    const QString directory = namesDirectory(database) ? database : AliasPath(session, database);
    const QString name = tableName.contains(QLatin1Char('.')) ? tableName : tableName + QStringLiteral(".dbf");
    if (auto found = engine::findFileNoCase(directory.toStdString(), name.toStdString())) {
        return QString::fromStdString(*found);
    }
    return JoinPath(directory, name);
}

void WriteIndexFlag(const QString& dbfPath, bool on) {
    QFile file(dbfPath);
    const std::string shown = QDir::toNativeSeparators(dbfPath).toStdString();
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        throw engine::EngineError(engine::code::Io, "Не удалось открыть файл " + shown + " для записи: " +
                                                        file.errorString().toStdString());
    }
    // Never lengthen a file that is no table.
    if (file.size() <= kIndexFlagOffset) {
        throw engine::EngineError(engine::code::Corrupt, "Файл " + shown + " не является таблицей dBase");
    }
    const char flag = on ? 1 : 0;
    if (!file.seek(kIndexFlagOffset) || file.write(&flag, 1) != 1 || !file.flush()) {
        throw engine::EngineError(engine::code::Io,
                                  "Ошибка записи в файл " + shown + ": " + file.errorString().toStdString());
    }
}

void ClearIndexFlag(const engine::Session& session, const QString& database, const QString& tableName) {
    WriteIndexFlag(TableFilePath(session, database, tableName), false);
}

void SetIndexFlag(const engine::Session& session, const QString& database, const QString& tableName) {
    WriteIndexFlag(TableFilePath(session, database, tableName), true);
}

bool RunFile(const QString& file, const QString& parameters, bool visible) {
#ifdef Q_OS_WIN
    const std::wstring target = file.toStdWString();
    const std::wstring args = parameters.toStdWString();
    const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(
        nullptr, L"open", target.c_str(), args.empty() ? nullptr : args.c_str(), nullptr,
        visible ? SW_SHOWNORMAL : SW_HIDE));
    return result > 32;
#else
    Q_UNUSED(visible);  // a started program decides its own windows here
    const QFileInfo info(file);
    if (info.isFile() && info.isExecutable()) {
        return QProcess::startDetached(info.absoluteFilePath(), QProcess::splitCommand(parameters));
    }
    if (!info.exists()) {
        // A program named without its folder is looked up on the search path.
        const QString program = QStandardPaths::findExecutable(file);
        return !program.isEmpty() && QProcess::startDetached(program, QProcess::splitCommand(parameters));
    }
    return QProcess::startDetached(QStringLiteral("xdg-open"), {info.absoluteFilePath()});
#endif
}

int TimeOfDayMs() { return QTime::currentTime().msecsSinceStartOfDay(); }

void Delay(int ms, const std::function<int()>& timeOfDayMs, const std::function<void()>& processMessages) {
    const int start = timeOfDayMs();
    for (;;) {
        int now = timeOfDayMs();
        if (now < start) now += kMsPerDay;  // past midnight
        if (now - start >= ms) return;
        processMessages();
    }
}

void Delay(int ms) {
    Delay(ms, TimeOfDayMs, [] {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
        QThread::msleep(1);  // wait without spinning a core
    });
}

}  // namespace kvzt::data
