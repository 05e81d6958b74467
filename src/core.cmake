# The Qt-free core: everything that can be decided without a widget. Included by the
# top-level list, also for the fuzz-only build, which has no Qt. Its folders stand in layers,
# each including only those before it: platform, calc, search, base, datafiles.
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
target_include_directories(orbistan_core PUBLIC ${core_dir})
target_link_libraries(orbistan_core PRIVATE orbistan_warnings)
