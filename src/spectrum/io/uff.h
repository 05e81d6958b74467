#pragma once
// Universal files, dataset 58 (a function at a nodal degree of freedom), as ASCII and as
// binary 58b: the format test systems and public bearing datasets exchange measured time
// histories and spectra in. Other datasets in the same file are passed over.

#include "spectrum/signal/spectrum.h"

#include <string>
#include <string_view>
#include <vector>

namespace orbistan {

struct UffFunction {
    int functionType = 0; // 1 time response, 2 auto spectrum, 12 spectrum, …
    std::string title;    // record 1
    bool complex = false; // the ordinate was complex: its magnitude is kept
    bool even = true;     // evenly spaced abscissa
    double abscissaMinimum = 0, abscissaIncrement = 0;
    std::string abscissaUnits, ordinateLabel, ordinateUnits;
    std::vector<double> abscissa; // uneven spacing only
    std::vector<double> ordinate;
    std::size_t firstLine = 0; // where the dataset begins in the file
};

// True when the file begins as a universal file does: a line holding "-1".
bool looksLikeUff(std::string_view bytes);

// Every dataset 58 of the file. Throws SpectrumFileError naming the line of a malformed
// one, or when there is none.
std::vector<UffFunction> readUff58(std::string_view bytes, const std::string& name,
                                   const Progress& progress = {});

struct FileFormat;
// Universal files: a dataset 58 each.
const FileFormat& uffFormat();

} // namespace orbistan
