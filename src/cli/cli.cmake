# The command line's commands, apart from its main: the program and the fuzz build's
# command-line target run the same code.
set(cli_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(orbistan_cli_commands STATIC ${cli_dir}/cli.cpp ${cli_dir}/base_commands.cpp
            ${cli_dir}/spectrum_commands.cpp
            ${cli_dir}/spectrum_options.cpp ${cli_dir}/trend_command.cpp)
target_include_directories(orbistan_cli_commands PUBLIC ${cli_dir}/..)
# The report's page is drawn as the window draws it, offscreen.
target_link_libraries(orbistan_cli_commands PUBLIC orbistan_spectrum orbistan_report
                      PRIVATE orbistan_warnings)
