#pragma once
// The run-time error codes and texts that the general error message box shows.

#include <string>
#include <string_view>

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

// Points standard error at /dev/null once the program has said all it will: libraries'
// handlers that run at exit (HDF5's, after a damaged file) would print there otherwise.
void quietStandardErrorForExit();

// Standard error points at /dev/null while one lives (on any thread; the last one to go
// gives it back): decoders inside libraries (libsndfile's MPEG one) print their complaints
// there, beside or before the program's own message.
// Writes to the standard error the program was started with, muted or not, so that the
// program's own messages are never lost to a library muted on another thread.
void writeStandardError(std::string_view bytes);

class StandardErrorMuted {
public:
    StandardErrorMuted();
    ~StandardErrorMuted();
    StandardErrorMuted(const StandardErrorMuted&) = delete;
    StandardErrorMuted& operator=(const StandardErrorMuted&) = delete;
};

} // namespace orbistan
