#pragma once
// Paths behind database aliases, file sizes, the production-index flag of a
// .dbf header, starting other programs, and the busy wait that keeps the
// windows alive.
//
// .dbf header byte 28: 1 when the table has a production index (.mdx) that
// the engine must open with it, 0 when it has none.

#include <QString>

#include <functional>

namespace kvzt::engine {
class Session;
}

namespace kvzt::data {

// The directory an alias names in the engine's configuration; throws
// EngineError(UnknownDatabase) for an unknown alias.
QString AliasPath(const engine::Session& session, const QString& alias);

// `file` alone when `directory` is empty; directory + file when the directory
// ends with a separator ("/" or "\"); else directory + separator + file.
QString JoinPath(const QString& directory, const QString& file);

// Size in bytes; -1 when there is no such file.
qint64 FileSizeOf(const QString& path);

// The .dbf file of a table: `database` is a directory when it holds ":" or a
// path separator, otherwise an alias; ".dbf" is added to a name without ".".
// An existing file whose name differs only in letter case is found. The path
// is used whole, however long.
QString TableFilePath(const engine::Session& session, const QString& database, const QString& tableName);

// Write header byte 28 of the table's .dbf as 0 (no production index) or 1.
// The table must not be open. Throws EngineError(Io) naming the file when it
// cannot be opened for writing or is too short to be a .dbf.
void ClearIndexFlag(const engine::Session& session, const QString& database, const QString& tableName);
void SetIndexFlag(const engine::Session& session, const QString& database, const QString& tableName);
// The same on a known path.
void WriteIndexFlag(const QString& dbfPath, bool on);

// Opens `file` the way the desktop's "open" does: a program is started with
// `parameters`, a document with the program that opens its kind. Does not
// wait. `visible` false asks for a hidden window where the platform allows it.
// False when nothing could be started.
bool RunFile(const QString& file, const QString& parameters, bool visible);

// Milliseconds since midnight by the local clock.
int TimeOfDayMs();

// Waits `ms` milliseconds measured on the time of day, processing pending
// window messages meanwhile; a wait across midnight adds a day to the clock.
void Delay(int ms);
// The same with the clock and the message processing given (for tests).
void Delay(int ms, const std::function<int()>& timeOfDayMs, const std::function<void()>& processMessages);

}  // namespace kvzt::data
