# The preview window frmPreview: document view, printing and the Print / Preview commands.
find_package(Qt6 6.4 REQUIRED COMPONENTS Widgets PrintSupport)
add_library(ktv_preview STATIC preview_window.cpp preview_view.cpp preview_print.cpp)
target_include_directories(ktv_preview PUBLIC ${KTV_SRC_DIR})
target_link_libraries(ktv_preview PUBLIC ktv_report_build Qt6::Widgets Qt6::PrintSupport)
