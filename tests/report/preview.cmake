# The preview window, on the standard gravity wall.
find_package(Qt6 6.4 REQUIRED COMPONENTS Test)
ktv_add_test(preview_window_tests preview_window_test.cpp)
target_link_libraries(preview_window_tests PRIVATE ktv_preview Qt6::Test ktv_family_table
                      ktv_test_support)
target_compile_definitions(preview_window_tests PRIVATE
  KTV_PREVIEW_OUTPUT_DIR="${CMAKE_CURRENT_BINARY_DIR}")
