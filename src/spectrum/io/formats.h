#pragma once
// Every file format the workbench reads, in one table, and opening a file whatever it holds:
// the first format whose rule recognises the file reads it, and a recording's spectrum is
// computed. The file dialog's filter and the command line's list of formats come from the
// same table.

#include "spectrum/dsp/transform.h"
#include "spectrum/io/file_format.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orbistan {

// In the order the files are tried: MATLAB, universal file, audio, text.
const std::vector<const FileFormat*>& fileFormats();

// The format a file is in; the text format when no other claims it. Throws
// SpectrumFileError when the file cannot be opened or is no regular file.
const FileFormat& formatOf(const std::filesystem::path& path);

// The file as it is: a recording or a spectrum. Throws SpectrumFileError or
// SpectrumCancelled.
FileContents readSpectrumFile(const std::filesystem::path& path, const SourceChoice& choice,
                              const Progress& progress = {});

// The same with the spectrum always set: a recording's is computed with `settings`.
FileContents openSpectrumFile(const std::filesystem::path& path, const SourceChoice& choice,
                              const TransformSettings& settings, const Progress& progress = {});

// "Все поддерживаемые (*.mat *.uff …);;Файлы MATLAB (*.mat);;…;;Все файлы (*)".
std::string fileDialogFilter();

// One line per format, for the command line's usage: "  MATLAB: *.mat".
std::string formatList();

} // namespace orbistan
