#include "platform/atomic_file.h"

#include "platform/runtime_error.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbistan {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTempMark = ".tmp-";
constexpr std::size_t kTempRandom = 6; // mkstemp's XXXXXX

WriteFault& writeFault() {
    static WriteFault fault;
    return fault;
}

// The errno a test injects into this step, or 0.
int injected(std::string_view step) {
    return writeFault() ? writeFault()(step) : 0;
}

// Writes all bytes, going on after interrupted and partial writes.
bool writeAll(int fd, std::string_view bytes) {
    if (const int err = injected("write")) {
        errno = err;
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool isAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// "<name>.tmp-XXXXXX", the name of writeFileAtomically's temporary files.
bool isOwnTempName(const std::string& name) {
    const std::size_t tail = kTempMark.size() + kTempRandom;
    if (name.size() <= tail || name.compare(name.size() - tail, kTempMark.size(), kTempMark)) {
        return false;
    }
    for (std::size_t i = name.size() - kTempRandom; i < name.size(); ++i) {
        if (!isAlnum(name[i])) {
            return false;
        }
    }
    return true;
}

// A write killed between mkstemp and rename leaves its temporary file; one older than a
// minute belongs to no write still under way.
void removeStaleTempFiles(const fs::path& folder) {
    std::error_code ec;
    const auto cutoff = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (isOwnTempName(it->path().filename().string()) && it->is_regular_file(fileEc) &&
            !it->is_symlink(fileEc) && it->last_write_time(fileEc) < cutoff && !fileEc) {
            fs::remove(it->path(), fileEc);
        }
    }
}

// Symbolic links followed before a chain is taken for a loop, as the system's ELOOP.
constexpr int kMaxLinks = 40;

} // namespace

void setWriteFaultForTesting(WriteFault fault) {
    writeFault() = std::move(fault);
}

std::optional<fs::path> writeTarget(const fs::path& path, int& error) {
    fs::path target = path;
    std::error_code ec;
    for (int links = 0; fs::is_symlink(fs::symlink_status(target, ec)); ++links) {
        if (links == kMaxLinks) {
            error = runtimeCodeFromErrno(ELOOP);
            return std::nullopt;
        }
        const fs::path to = fs::read_symlink(target, ec);
        if (ec) {
            error = runtimeCodeFromErrno(ec.value());
            return std::nullopt;
        }
        target = to.is_absolute() ? to : target.parent_path() / to;
    }
    const fs::file_status status = fs::status(target, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        error = kFileAccessDenied;
        return std::nullopt;
    }
    return target;
}

int writeFileAtomically(const fs::path& asked, std::string_view bytes) {
    int refused = 0;
    const std::optional<fs::path> target = writeTarget(asked, refused);
    if (!target) {
        return refused;
    }
    const fs::path& path = *target;
    removeStaleTempFiles(path.has_parent_path() ? path.parent_path() : fs::path("."));
    std::string temp = path.string() + std::string(kTempMark) + std::string(kTempRandom, 'X');
    if (const int err = injected("create")) {
        return runtimeCodeFromErrno(err);
    }
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return runtimeCodeFromErrno(errno);
    }
    ::fchmod(fd, 0644); // mkstemp makes the file private; data files are ordinary files
    int err = 0;
    if (!writeAll(fd, bytes)) {
        err = errno;
    } else if (const int fault = injected("sync")) {
        err = fault;
    } else if (::fsync(fd) != 0) {
        err = errno;
    }
    if (::close(fd) != 0 && err == 0) {
        err = errno;
    }
    if (err == 0) {
        if (const int fault = injected("rename")) {
            err = fault;
        } else if (::rename(temp.c_str(), path.c_str()) != 0) {
            err = errno;
        }
    }
    if (err != 0) {
        ::unlink(temp.c_str());
        return runtimeCodeFromErrno(err);
    }
    return 0;
}

FileBytes readDataFile(const fs::path& path, std::size_t limit) {
    // Non-blocking, so that opening a FIFO returns at once instead of waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return {runtimeCodeFromErrno(errno), {}};
    }
    FileBytes out;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        out.error = runtimeCodeFromErrno(errno);
    } else if (!S_ISREG(st.st_mode)) {
        out.error = kFileAccessDenied; // a FIFO, a device, a folder: not a data file
    } else if (static_cast<std::size_t>(st.st_size) > limit) {
        out.error = kInvalidNumericInput; // far too large to be what it claims to be
    }
    char buf[65536];
    while (out.error == 0) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            out.error = runtimeCodeFromErrno(errno);
        } else if (n == 0) {
            break;
        } else if (out.bytes.size() + static_cast<std::size_t>(n) > limit) {
            out.error = kInvalidNumericInput; // it grew while being read
        } else {
            out.bytes.append(buf, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    if (out.error != 0) {
        out.bytes.clear();
    }
    return out;
}

std::optional<std::string> readWholeFile(const fs::path& path) {
    FileBytes read = readDataFile(path);
    if (read.error != 0) {
        return std::nullopt;
    }
    return std::move(read.bytes);
}

int removeDataFile(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return errno == ENOENT ? 0 : runtimeCodeFromErrno(errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return kFileAccessDenied;
    }
    if (const int err = injected("remove")) {
        return runtimeCodeFromErrno(err);
    }
    return ::unlink(path.c_str()) == 0 ? 0 : runtimeCodeFromErrno(errno);
}

fs::path keepUnreadableBeside(const fs::path& path, std::string_view date) {
    const std::string base =
        (path.parent_path() / path.stem()).string() + ".unreadable-" + std::string(date);
    const std::string ext = path.extension().string();
    for (int n = 1; n < 1000; ++n) {
        const fs::path target = base + (n == 1 ? "" : "-" + std::to_string(n)) + ext;
        std::error_code ec;
        if (fs::symlink_status(target, ec).type() != fs::file_type::not_found) {
            continue;
        }
        // link + unlink instead of rename: never replaces a file that appeared meanwhile.
        if (::link(path.c_str(), target.c_str()) == 0) {
            ::unlink(path.c_str());
            return target;
        }
        if (errno != EEXIST && ::rename(path.c_str(), target.c_str()) == 0) {
            return target; // a file system without hard links
        }
        if (errno != EEXIST) {
            return {};
        }
    }
    return {};
}

std::string todayIso() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

} // namespace orbistan
