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
# The spectrum work, on FFTW3, libsndfile, matio, HDF5 (to read a version 7.3 file in a
# child process, refusing what reaches outside it) and zlib (to check compressed MATLAB
# variables before matio trusts them): only what reads or analyses spectra links it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FFTW3 REQUIRED IMPORTED_TARGET fftw3)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(MATIO REQUIRED IMPORTED_TARGET matio)
pkg_check_modules(HDF5 REQUIRED IMPORTED_TARGET hdf5)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
add_library(orbistan_spectrum STATIC
    ${core_dir}/spectrum/signal/file_problem.cpp
    ${core_dir}/spectrum/signal/spectrum.cpp
    ${core_dir}/spectrum/signal/units.cpp
    ${core_dir}/spectrum/dsp/band_map.cpp
    ${core_dir}/spectrum/dsp/cyclic.cpp
    ${core_dir}/spectrum/dsp/decimate.cpp
    ${core_dir}/spectrum/dsp/difference.cpp
    ${core_dir}/spectrum/dsp/envelope.cpp
    ${core_dir}/spectrum/dsp/extremes.cpp
    ${core_dir}/spectrum/dsp/fft.cpp
    ${core_dir}/spectrum/dsp/peaks.cpp
    ${core_dir}/spectrum/dsp/statistics.cpp
    ${core_dir}/spectrum/dsp/transform.cpp
    ${core_dir}/spectrum/io/audio.cpp
    ${core_dir}/spectrum/io/child_process.cpp
    ${core_dir}/spectrum/io/formats.cpp
    ${core_dir}/spectrum/io/mat73.cpp
    ${core_dir}/spectrum/io/mat_file.cpp
    ${core_dir}/spectrum/io/mat_layout.cpp
    ${core_dir}/spectrum/io/text_file.cpp
    ${core_dir}/spectrum/io/uff.cpp
    ${core_dir}/spectrum/diagnosis/cursors.cpp
    ${core_dir}/spectrum/diagnosis/evidence.cpp
    ${core_dir}/spectrum/diagnosis/explain.cpp
    ${core_dir}/spectrum/diagnosis/families.cpp
    ${core_dir}/spectrum/diagnosis/markers.cpp
    ${core_dir}/spectrum/diagnosis/synth.cpp
    ${core_dir}/spectrum/analysis/shaft_speed.cpp
    ${core_dir}/spectrum/series/record_time.cpp
    ${core_dir}/spectrum/series/series.cpp
    ${core_dir}/spectrum/series/series_document.cpp
    ${core_dir}/spectrum/workbench/report.cpp
    ${core_dir}/spectrum/workbench/workbench.cpp
    ${core_dir}/spectrum/workbench/workbench_settings.cpp
)
target_link_libraries(orbistan_spectrum PUBLIC orbistan_core
                      PRIVATE PkgConfig::FFTW3 PkgConfig::SNDFILE PkgConfig::MATIO PkgConfig::HDF5
                              PkgConfig::ZLIB orbistan_warnings)
target_include_directories(orbistan_core PUBLIC ${core_dir})
target_link_libraries(orbistan_core PRIVATE orbistan_warnings)
