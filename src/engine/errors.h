#pragma once
// Errors of the table engine: one exception type with a numeric code.
// The codes callers test for are those of the desktop table engine the host
// program was written for; our own codes (corruption, I/O, values) sit in
// the 0x2Fxx range, which that engine never used.

#include <stdexcept>
#include <string>

namespace kvzt::engine {

namespace code {
inline constexpr int InvalidParam = 0x2702;
inline constexpr int InvalidHandle = 0x2706;
inline constexpr int UnknownTableType = 0x2707;
inline constexpr int UnknownDatabase = 0x271E;
inline constexpr int NoSuchTable = 0x2728;
inline constexpr int TableInUse = 0x280D;  // locked by someone else / needs exclusive use
inline constexpr int NoConfigFile = 0x2104;
inline constexpr int NotSupported = 0x3001;

inline constexpr int Corrupt = 0x2F01;            // a .dbf or .mdx that cannot be read safely
inline constexpr int Io = 0x2F02;                 // the operating system refused a read or write
inline constexpr int ValueOutOfRange = 0x2F03;    // a number too wide for its field, a bad date
inline constexpr int NoSuchField = 0x2F04;
inline constexpr int NoCurrentRecord = 0x2F05;
inline constexpr int ReadOnly = 0x2F06;           // write through a read-only cursor
inline constexpr int InvalidState = 0x2F07;       // post without edit, edit while editing, ...
inline constexpr int InvalidKeyExpression = 0x2F08;
inline constexpr int NoSuchIndex = 0x2F09;
inline constexpr int SqlError = 0x2F0A;
inline constexpr int TransactionState = 0x2F0B;   // commit without start, nested start
inline constexpr int DiskFull = 0x2F0C;
}  // namespace code

class EngineError : public std::runtime_error {
public:
    // `message` is Russian UTF-8 text for the user.
    EngineError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

// Our own Russian text for a system error number ("файл или каталог не
// найден" for ENOENT, ...); a number without one is named with the system's
// text after it.
std::string systemErrorText(int errnoValue);

// Throws EngineError(code::Io or code::DiskFull) describing errno for `what` (a path or action).
[[noreturn]] void throwIoError(const std::string& what, int errnoValue);

}  // namespace kvzt::engine
