# Included from this folder's CMakeLists.txt.
ktv_add_test(formula_pictures_tests ${CMAKE_CURRENT_LIST_DIR}/formula_pictures_test.cpp)
target_link_libraries(formula_pictures_tests PRIVATE ktv_formula_pictures Qt6::Gui Qt6::Svg)
