#pragma once
// The run-time error codes and texts that the general error message box shows.

#include <string>

namespace orbistan {

enum RuntimeErrorCode {
    kFileNotFound = 2,
    kPathNotFound = 3,
    kTooManyOpenFiles = 4,
    kFileAccessDenied = 5,
    kReadBeyondEnd = 100,
    kDiskFull = 101,
    kInvalidNumericInput = 106,
};

// "File not found", "File access denied", ..., otherwise "I/O error %d".
std::string runtimeErrorText(int code);

// The run-time code of a failed system call, as the platform the texts come from numbers them.
int runtimeCodeFromErrno(int err);

} // namespace orbistan
