#pragma once
// Typed errors of a failed pack. The class tells the table engine's error
// code; the message reads "Table Pack Error: <code>.  <description>".

#include <functional>
#include <stdexcept>
#include <string>

namespace kvzt::schema {

class EPackError : public std::runtime_error {
public:
    EPackError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

#define KVZT_PACK_ERROR_CLASS(Name)          \
    class Name : public EPackError {         \
    public:                                  \
        using EPackError::EPackError;        \
    };

KVZT_PACK_ERROR_CLASS(EPack_InvalidParam)     // 0x2702
KVZT_PACK_ERROR_CLASS(EPack_InvalidHndl)      // 0x2706
KVZT_PACK_ERROR_CLASS(EPack_UnknownTblType)   // 0x2707
KVZT_PACK_ERROR_CLASS(EPack_UnknownDB)        // 0x271E
KVZT_PACK_ERROR_CLASS(EPack_NoSuchTable)      // 0x2728
KVZT_PACK_ERROR_CLASS(EPack_NeedExclAccess)   // 0x280D
KVZT_PACK_ERROR_CLASS(EPack_NoConfigFile)     // 0x2104
KVZT_PACK_ERROR_CLASS(EPack_DBLimit)          // 0x2511
KVZT_PACK_ERROR_CLASS(EPack_NotSupported)     // 0x3001
KVZT_PACK_ERROR_CLASS(EPack_InvalidDBSpec)    // 0x3101

#undef KVZT_PACK_ERROR_CLASS

// "Table Pack Error: <code>.  <description>".
std::string PackErrorMessage(int code, const std::string& description);

// Called just before a pack error is raised: the desktop program sounds the
// system's exclamation beep here. Empty by default (command line, tests).
void SetPackErrorAlert(std::function<void()> alert);

// Does nothing for code 0; otherwise sounds the alert and throws the class chosen by the code
// (EPackError itself for codes without a class of their own). `description`
// is the engine's text for the failure; when empty a generic one is used.
void PackCheck(int code, const std::string& description = {});

}  // namespace kvzt::schema
