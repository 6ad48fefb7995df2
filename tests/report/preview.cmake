# The preview window. The standard gravity wall is used when the gravity report and its project
find_package(Qt6 6.4 REQUIRED COMPONENTS Test)
# fixture are part of the build.
ktv_add_test(preview_window_tests preview_window_test.cpp)
target_link_libraries(preview_window_tests PRIVATE ktv_preview Qt6::Test
  $<TARGET_NAME_IF_EXISTS:ktv_gravity_report> $<TARGET_NAME_IF_EXISTS:ktv_gravity_fixture>)
target_include_directories(preview_window_tests PRIVATE
  ${CMAKE_SOURCE_DIR}/tests/families/gravity)
target_compile_definitions(preview_window_tests PRIVATE
  KTV_PREVIEW_OUTPUT_DIR="${CMAKE_CURRENT_BINARY_DIR}"
  $<$<AND:$<TARGET_EXISTS:ktv_gravity_report>,$<TARGET_EXISTS:ktv_gravity_fixture>>:KTV_HAVE_GRAVITY_REPORT=1>)
