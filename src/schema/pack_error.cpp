#include "schema/pack_error.h"

#include <cstdio>
#include <utility>

namespace kvzt::schema {

namespace {

std::string describeCode(int code) {
    switch (code) {
        case 0x2702: return "Недопустимый параметр.";
        case 0x2706: return "Недопустимый дескриптор.";
        case 0x2707: return "Неизвестный тип таблицы.";
        case 0x271E: return "Неизвестная база данных.";
        case 0x2728: return "Таблица не существует.";
        case 0x280D: return "Таблица занята: нужен монопольный доступ.";
        case 0x2104: return "Нет файла конфигурации.";
        case 0x2511: return "Превышен предел базы данных.";
        case 0x3001: return "Возможность не поддерживается.";
        case 0x3101: return "Недопустимое описание базы данных.";
        default: return "Ошибка ядра таблиц.";
    }
}

std::function<void()>& packErrorAlert() {
    static std::function<void()> alert;
    return alert;
}

template <class E>
[[noreturn]] void raise(int code, const std::string& message) {
    throw E(code, message);
}

}  // namespace

void SetPackErrorAlert(std::function<void()> alert) { packErrorAlert() = std::move(alert); }

std::string PackErrorMessage(int code, const std::string& description) {
    char head[48];
    std::snprintf(head, sizeof head, "Table Pack Error: %d.  ", code);
    return head + description;
}

void PackCheck(int code, const std::string& description) {
    if (code == 0) {
        return;
    }
    const std::string message = PackErrorMessage(code, description.empty() ? describeCode(code) : description);
    if (packErrorAlert()) {
        packErrorAlert()();
    }
    switch (code) {
        case 0x2702: raise<EPack_InvalidParam>(code, message);
        case 0x2706: raise<EPack_InvalidHndl>(code, message);
        case 0x2707: raise<EPack_UnknownTblType>(code, message);
        case 0x271E: raise<EPack_UnknownDB>(code, message);
        case 0x2728: raise<EPack_NoSuchTable>(code, message);
        case 0x280D: raise<EPack_NeedExclAccess>(code, message);
        case 0x2104: raise<EPack_NoConfigFile>(code, message);
        case 0x2511: raise<EPack_DBLimit>(code, message);
        case 0x3001: raise<EPack_NotSupported>(code, message);
        case 0x3101: raise<EPack_InvalidDBSpec>(code, message);
        default: raise<EPackError>(code, message);
    }
}

}  // namespace kvzt::schema
