#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <vector>

namespace orbistan {

namespace fs = std::filesystem;

namespace {

bool sameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

enum class Kind { Directory, RegularFile };

bool isKind(const fs::path& p, Kind kind, std::error_code& ec) {
    return kind == Kind::Directory ? fs::is_directory(p, ec) : fs::is_regular_file(p, ec);
}

// The existing entry of that kind below parent whose name matches name in any letter case
// (the exact spelling first), or parent / name when there is none.
fs::path adopt(const fs::path& parent, const std::string& name, Kind kind = Kind::Directory) {
    std::error_code ec;
    const fs::path exact = parent / name;
    if (isKind(exact, kind, ec)) {
        return exact;
    }
    std::vector<fs::path> matches;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        if (isKind(it->path(), kind, ec) &&
            sameIgnoringAsciiCase(it->path().filename().string(), name)) {
            matches.push_back(it->path());
        }
    }
    if (matches.empty()) {
        return exact;
    }
    std::sort(matches.begin(), matches.end()); // the same choice on every run
    return matches.front();
}

} // namespace

std::string currentProgramDir() {
    std::error_code ec;
    std::string dir = fs::current_path(ec).string();
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    return dir;
}

fs::path userDataDir(const char* xdgDataHome, const char* home) {
    if (xdgDataHome && fs::path(xdgDataHome).is_absolute()) {
        return fs::path(xdgDataHome) / "orbistan";
    }
    if (home && fs::path(home).is_absolute()) {
        return fs::path(home) / ".local" / "share" / "orbistan";
    }
    return {};
}

fs::path findCalculator(const fs::path& programDir) {
    const fs::path found = adopt(programDir, "CALC.exe", Kind::RegularFile);
    std::error_code ec;
    return fs::is_regular_file(found, ec) ? found : fs::path();
}

DataFolders findDataFolders(const fs::path& programDir) {
    DataFolders f;
    f.base = adopt(programDir, "Basa");
    f.russian = adopt(f.base, "Russian");
    f.other = adopt(f.base, "import");
    f.group = adopt(f.base, "Group");
    return f;
}

DataFolders createDataFolders(const fs::path& programDir) {
    const DataFolders f = findDataFolders(programDir);
    std::error_code ec;
    for (const fs::path* p : {&f.group, &f.other, &f.russian}) {
        fs::create_directories(*p, ec);
    }
    return f;
}

} // namespace orbistan
