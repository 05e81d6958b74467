#include "platform/runtime_error.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>

namespace orbistan {

std::string runtimeErrorText(int code) {
    switch (code) {
    case kFileNotFound:
        return "File not found";
    case kTooManyOpenFiles:
        return "Too many open files";
    case kFileAccessDenied:
        return "File access denied";
    case kReadBeyondEnd:
        return "Read beyond end of file";
    case kDiskFull:
        return "Disk full";
    case kInvalidNumericInput:
        return "Invalid numeric input";
    default:
        return "I/O error " + std::to_string(code);
    }
}

int runtimeCodeFromErrno(int err) {
    switch (err) {
    case ENOENT:
        return kFileNotFound;
    case ENOTDIR:
        return kPathNotFound;
    case EMFILE:
    case ENFILE:
        return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: // a folder where the file should be: refused as access is
    case ETXTBSY:
        return kFileAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return kDiskFull;
    case EIO:
        return 31; // the general device failure of the platform the texts come from
    default:
        // Other failures show their own number, kept clear of the codes with texts.
        switch (err) {
        case kFileNotFound:
        case kTooManyOpenFiles:
        case kFileAccessDenied:
        case kReadBeyondEnd:
        case kDiskFull:
        case kInvalidNumericInput:
            return 1000 + err;
        default:
            return err;
        }
    }
}

namespace {

std::mutex mutedLock;
int mutedCount = 0;
int savedStandardError = -1;

} // namespace

StandardErrorMuted::StandardErrorMuted() {
    const std::lock_guard lock(mutedLock);
    if (mutedCount++ == 0) {
        std::fflush(stderr);
        savedStandardError = dup(STDERR_FILENO);
        if (const int null = open("/dev/null", O_WRONLY); null >= 0) {
            dup2(null, STDERR_FILENO);
            close(null);
        }
    }
}

StandardErrorMuted::~StandardErrorMuted() {
    const std::lock_guard lock(mutedLock);
    if (--mutedCount == 0 && savedStandardError >= 0) {
        std::fflush(stderr);
        dup2(savedStandardError, STDERR_FILENO);
        close(savedStandardError);
        savedStandardError = -1;
    }
}

void writeStandardError(std::string_view bytes) {
    const std::lock_guard lock(mutedLock);
    const int fd = mutedCount > 0 && savedStandardError >= 0 ? savedStandardError : STDERR_FILENO;
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return; // nowhere to say it
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void quietStandardErrorForExit() {
    std::fflush(stderr);
    if (const int null = open("/dev/null", O_WRONLY); null >= 0) {
        dup2(null, STDERR_FILENO);
        close(null);
    }
}

} // namespace orbistan
