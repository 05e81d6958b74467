# The Qt-free core: everything that can be decided without a widget. Included by the
# top-level list, also for the fuzz-only build, which has no Qt.
set(core_dir ${PROJECT_SOURCE_DIR}/src)
add_library(orbistan_core STATIC
    ${core_dir}/calc/numbers.cpp
    ${core_dir}/calc/validate.cpp
    ${core_dir}/calc/frequencies.cpp
    ${core_dir}/calc/compute.cpp
    ${core_dir}/search/search.cpp
    ${core_dir}/search/harmonics.cpp
    ${core_dir}/base/bearing_number.cpp
    ${core_dir}/base/bearing_key.cpp
    ${core_dir}/base/bearing_record.cpp
    ${core_dir}/base/bearing_type.cpp
    ${core_dir}/shell/cp1251.cpp
    ${core_dir}/shell/paths.cpp
    ${core_dir}/shell/atomic_file.cpp
    ${core_dir}/shell/runtime_error.cpp
    ${core_dir}/shell/settings.cpp
    ${core_dir}/shell/jpeg.cpp
    ${core_dir}/shell/number_reader.cpp
    ${core_dir}/shell/group_file.cpp
    ${core_dir}/calc/group.cpp
)
target_include_directories(orbistan_core PUBLIC ${core_dir})
find_package(JPEG REQUIRED)
target_link_libraries(orbistan_core PRIVATE JPEG::JPEG)
