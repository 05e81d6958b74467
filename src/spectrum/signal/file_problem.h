#pragma once
// Why a file could not be read or worked on, as a value: what kind of problem, in which
// file, where in it and what exactly. It is made where the problem arises; its sentence
// («Файл «a.wav»: строка 12: …») is made by problemText alone, so that the window, the
// command line and the report say the same thing, and a problem found before the file was
// known is named with it on its way out.

#include <filesystem>
#include <stdexcept>
#include <string>

namespace orbistan {

enum class ProblemKind {
    Missing,      // no such file
    NotAFile,     // a folder, a FIFO or a device in its place
    Unreadable,   // the system refused or failed the reading
    Unrecognised, // not a file of the format, or of any format the program reads
    Damaged,      // its contents break the format, or hold what no measurement gives
    TooLarge,     // beyond what the program takes: its size, its length, the memory
    OutOfRange,   // a rate or a speed that no recording has
    NotOffered,   // a channel, dataset or variable asked for that it does not hold
    Unwritable,   // the system refused or failed the writing
    Unsuited,     // readable, but not what the work needs: a spectrum for an envelope, …
};

struct FileProblem {
    ProblemKind kind = ProblemKind::Damaged;
    std::string file;   // as messages name it (displayName); empty until known
    std::string where;  // "строка 12", "отсчёт 5"; empty for the file as a whole
    std::string detail; // what is wrong: "не число"
    bool operator==(const FileProblem&) const = default;
};

// What is said of a file whose reading ran out of memory.
inline constexpr const char* kNoMemoryToRead = "не хватает памяти, чтобы его прочесть";

// "Файл «a.csv»: строка 12: не число"; without the file's part while it is not known.
std::string problemText(const FileProblem& p);

// "Файл «a.wav»: …": what the user should know of a file that was read, worded as its
// problems are.
std::string fileNoteText(const std::string& file, const std::string& note);

// Thrown by the readers and the work on a record; what() is the problem's sentence.
class SpectrumFileError : public std::runtime_error {
public:
    explicit SpectrumFileError(FileProblem problem);
    const FileProblem& problem() const { return problem_; }
    // The same problem, said of `file` when it names none yet.
    SpectrumFileError of(const std::string& file) const;

private:
    FileProblem problem_;
};

// The problem of a failed reading, from a run-time error code: no such file, or why the
// system refused it.
FileProblem readFailure(const std::string& file, int runtimeCode);

// The problem of a failed write of `path` (writeFileAtomically's run-time error code): a
// folder, a FIFO or a device where it leads, a loop of links, a missing folder, no right to
// write, a full disk.
FileProblem writeFailure(const std::filesystem::path& path, int runtimeCode);

// How messages name a file: its name without the folders, readable.
std::string displayName(const std::filesystem::path& path);

// Throws SpectrumFileError unless the path is a regular file: a FIFO or a device in its
// place would hang the reading, a folder cannot be read.
void requireRegularFile(const std::filesystem::path& path);

} // namespace orbistan
