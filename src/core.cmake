# The Qt-free core: everything that can be decided without a widget. Included by the
# top-level list, also for the fuzz-only build, which has no Qt. Its folders stand in layers,
# each including only those before it: platform, calc, search, base, datafiles,
# spectrum.
set(core_dir ${PROJECT_SOURCE_DIR}/src)
add_library(orbistan_core STATIC
    ${core_dir}/platform/cp1251.cpp
    ${core_dir}/platform/paths.cpp
    ${core_dir}/platform/atomic_file.cpp
    ${core_dir}/platform/runtime_error.cpp
    ${core_dir}/calc/numbers.cpp
    ${core_dir}/calc/validate.cpp
    ${core_dir}/calc/frequencies.cpp
    ${core_dir}/calc/compute.cpp
    ${core_dir}/calc/group.cpp
    ${core_dir}/search/search.cpp
    ${core_dir}/search/harmonics.cpp
    ${core_dir}/base/bearing_number.cpp
    ${core_dir}/base/bearing_key.cpp
    ${core_dir}/base/bearing_type.cpp
    ${core_dir}/datafiles/number_reader.cpp
    ${core_dir}/datafiles/bearing_record.cpp
    ${core_dir}/datafiles/group_file.cpp
    ${core_dir}/datafiles/settings.cpp
)
# The spectrum work, on FFTW3, libsndfile, matio and zlib (to check compressed MATLAB
# variables before matio trusts them): only what reads or analyses spectra
# links it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FFTW3 REQUIRED IMPORTED_TARGET fftw3)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(MATIO REQUIRED IMPORTED_TARGET matio)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
add_library(orbistan_spectrum STATIC
    ${core_dir}/spectrum/spectrum.cpp
    ${core_dir}/spectrum/text_spectrum.cpp
    ${core_dir}/spectrum/waveform.cpp
    ${core_dir}/spectrum/transform.cpp
    ${core_dir}/spectrum/decimate.cpp
    ${core_dir}/spectrum/peaks.cpp
    ${core_dir}/spectrum/explain.cpp
    ${core_dir}/spectrum/synth.cpp
    ${core_dir}/spectrum/units.cpp
    ${core_dir}/spectrum/formats.cpp
    ${core_dir}/spectrum/workbench.cpp
    ${core_dir}/spectrum/markers.cpp
    ${core_dir}/spectrum/cursors.cpp
    ${core_dir}/spectrum/report.cpp
    ${core_dir}/spectrum/extremes.cpp
    ${core_dir}/spectrum/fft.cpp
    ${core_dir}/spectrum/envelope.cpp
    ${core_dir}/spectrum/band_map.cpp
    ${core_dir}/spectrum/evidence.cpp
    ${core_dir}/spectrum/families.cpp
    ${core_dir}/spectrum/statistics.cpp
    ${core_dir}/spectrum/uff.cpp
    ${core_dir}/spectrum/mat_file.cpp
    ${core_dir}/spectrum/mat_layout.cpp
    ${core_dir}/spectrum/workbench_settings.cpp
)
target_link_libraries(orbistan_spectrum PUBLIC orbistan_core
                      PRIVATE PkgConfig::FFTW3 PkgConfig::SNDFILE PkgConfig::MATIO PkgConfig::ZLIB
                              orbistan_warnings)
target_include_directories(orbistan_core PUBLIC ${core_dir})
target_link_libraries(orbistan_core PRIVATE orbistan_warnings)
