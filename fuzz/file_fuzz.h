#pragma once
// Any bytes as a file of the given name, opened as the spectrum window opens it: the readers
// refuse with a readable message naming the file, or give a spectrum whose lines are finite
// and ascending. The bytes go through a file because the MATLAB and audio libraries read
// files.

#include "platform/cp1251.h"
#include "spectrum/io/formats.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

inline int fuzzFile(const std::uint8_t* data, std::size_t size, const std::string& name) {
    static const std::filesystem::path dir = [] {
        auto d =
            std::filesystem::temp_directory_path() / ("orbistan-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    const std::filesystem::path path = dir / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    orbistan::FileContents c;
    try {
        c = orbistan::openSpectrumFile(path, {}, {});
    } catch (const orbistan::SpectrumFileError& e) {
        const std::string what = e.what();
        if (!orbistan::isUtf8(what) || !what.starts_with("Файл «" + name + "»: ")) {
            std::abort();
        }
        return 0;
    }
    const orbistan::Spectrum& s = *c.spectrum;
    if (s.frequency.size() != s.amplitude.size() || s.frequency.empty()) {
        std::abort();
    }
    for (std::size_t i = 0; i < s.frequency.size(); ++i) {
        if (!std::isfinite(s.frequency[i]) || !std::isfinite(s.amplitude[i]) ||
            (i > 0 && !(s.frequency[i] > s.frequency[i - 1]))) {
            std::abort();
        }
    }
    return 0;
}
