# Included from this folder's CMakeLists.txt.
ktv_add_test(formula_pictures_tests ${KTV_GUI_TEST_ENVIRONMENT}
             ${CMAKE_CURRENT_LIST_DIR}/formula_pictures_test.cpp)
target_link_libraries(formula_pictures_tests PRIVATE ktv_formula_pictures Qt6::Gui)

# The pictures as printed, against stored 300-dpi pages (needs pdftoppm).
ktv_add_test(formula_picture_pages_tests ${KTV_GUI_TEST_ENVIRONMENT}
             ${CMAKE_CURRENT_LIST_DIR}/formula_picture_pages_test.cpp)
target_link_libraries(formula_picture_pages_tests PRIVATE ktv_report Qt6::Gui)
target_compile_definitions(formula_picture_pages_tests PRIVATE
  KTV_PICTURE_PAGES_DIR="${CMAKE_CURRENT_LIST_DIR}/data/formula_picture_pages")
