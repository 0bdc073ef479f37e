#include "engine/errors.h"

#include <cerrno>
#include <cstring>

namespace kvzt::engine {

void throwIoError(const std::string& what, int errnoValue) {
    if (errnoValue == ENOSPC || errnoValue == EDQUOT)
        throw EngineError(code::DiskFull, "Нет места на диске: " + what);
    throw EngineError(code::Io, "Ошибка ввода-вывода (" + std::string(std::strerror(errnoValue)) + "): " + what);
}

}  // namespace kvzt::engine
