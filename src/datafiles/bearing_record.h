#pragma once
// The record file of one bearing: one line of five reals, four type codes and the
// additional information text, in code page 1251 with CR LF.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orbistan {

struct BearingRecord {
    double d = 0, D = 0, a = 0, dw = 0, Z = 0;
    int kind = 0, rows = 0, load = 0, shape = 0; // the type codes
    std::string info;                            // code page 1251, one line
    bool operator==(const BearingRecord&) const = default;
};

// The file's bytes: the reals in the 23-character real form, then the codes, each after one
// blank, then one blank and the information text, then CR LF.
std::string formatBearingRecord(const BearingRecord& r);

// Empty when a number in the bytes does not convert. A file that ends early reads its
// missing numbers as 0; a byte 26 (Ctrl+Z) ends the file.
std::optional<BearingRecord> parseBearingRecord(std::string_view bytes);

// Replaces the record whole (a failed write leaves the old one): 0, or the run-time error
// code of the failure.
int WriteBearingRecord(const std::filesystem::path& path, const BearingRecord& r);

// The line a failed save shows below "Данные не могут быть сохранены" (display text, UTF-8):
// the missing folder of the standard when it is missing, otherwise the run-time error text.
std::string recordSaveFailureText(const std::filesystem::path& path, int standard, int error);

struct RecordRead {
    enum Outcome { Found, Absent, Unreadable } outcome = Absent;
    BearingRecord record;
    int error = 0; // the run-time error code of Unreadable
};
RecordRead ReadBearingRecord(const std::filesystem::path& path);

} // namespace orbistan
