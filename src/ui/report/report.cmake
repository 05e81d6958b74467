# The spectrum as a plot draws it (plot/) and the report's page drawn from it (report/):
# shared by the window and the command line, which draws the page offscreen; included by
# the fuzz build too, for the command line's target.
set(report_ui_dir ${CMAKE_CURRENT_LIST_DIR}/..)
add_library(orbistan_report STATIC ${report_ui_dir}/report/report_page.cpp
            ${report_ui_dir}/report/report_pdf.cpp ${report_ui_dir}/plot/plot.cpp
            ${report_ui_dir}/plot/plot_labels.cpp)
set_target_properties(orbistan_report PROPERTIES AUTOMOC ON)
target_include_directories(orbistan_report PUBLIC ${report_ui_dir}/..)
target_link_libraries(orbistan_report PUBLIC orbistan_spectrum Qt6::Widgets
                      QCustomPlotQt6::QCustomPlotQt6 orbistan_qt_rules PRIVATE orbistan_warnings)
