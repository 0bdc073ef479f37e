#include "engine/errors.h"

#include <cerrno>
#include <cstring>

namespace kvzt::engine {

std::string systemErrorText(int errnoValue) {
    switch (errnoValue) {
        case ENOENT: return "файл или каталог не найден";
        case ENOTDIR: return "часть пути не является каталогом";
        case EISDIR: return "это каталог, а не файл";
        case EACCES:
        case EPERM: return "нет прав доступа";
        case EROFS: return "диск доступен только для чтения";
        case ENOSPC: return "нет места на диске";
#ifdef EDQUOT
        case EDQUOT: return "исчерпана дисковая квота пользователя";
#endif
        case EBUSY:
        case ETXTBSY: return "файл занят другой программой";
        case EAGAIN: return "файл заблокирован другой программой";
        case EEXIST: return "файл уже существует";
        case ENAMETOOLONG: return "слишком длинное имя файла";
        case ELOOP: return "слишком много символических ссылок в пути";
        case EMFILE:
        case ENFILE: return "открыто слишком много файлов";
        case EIO: return "сбой чтения или записи на устройстве";
        case ENOMEM: return "не хватает памяти";
        case EFBIG: return "файл слишком велик";
        case EXDEV: return "файл нельзя переместить на другой диск";
        case ENXIO:
        case ENODEV: return "устройство недоступно";
#ifdef ESTALE
        case ESTALE: return "сетевой файл больше недоступен";
#endif
        case EINTR: return "операция прервана";
        default: return "системная ошибка " + std::to_string(errnoValue) + ": " + std::strerror(errnoValue);
    }
}

void throwIoError(const std::string& what, int errnoValue) {
#ifdef EDQUOT
    if (errnoValue == EDQUOT) errnoValue = ENOSPC;  // over the user's quota: full for him
#endif
    if (errnoValue == ENOSPC)
        throw EngineError(code::DiskFull, "Нет места на диске: " + what);
    throw EngineError(code::Io, "Ошибка ввода-вывода (" + systemErrorText(errnoValue) + "): " + what);
}

}  // namespace kvzt::engine
