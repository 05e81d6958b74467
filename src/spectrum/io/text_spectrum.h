#pragma once
// Spectra exported by data collectors and analysers as text: two columns, frequency and
// amplitude, separated by tabs, semicolons, commas or blanks, with a decimal point or a
// decimal comma, header lines before the data, comment lines and blank lines anywhere.
// Further columns (a phase, say) are ignored.

#include "spectrum/signal/spectrum.h"

#include <string>
#include <string_view>

namespace orbistan {

// `name` is how messages name the file. Throws SpectrumFileError for anything that is not
// such a spectrum: the message says which line failed and why.
Spectrum readTextSpectrum(std::string_view bytes, const std::string& name,
                          const Progress& progress = {});

struct FileFormat;
// Text spectra: the format every file no other format claims is tried as.
const FileFormat& textSpectrumFormat();

} // namespace orbistan
