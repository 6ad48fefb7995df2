# Formula pictures of the report: resources/formula_pictures (a glyph font and the pictures set
# from it), compiled in as Qt resources.
# Included from this folder's CMakeLists.txt.
add_library(ktv_formula_pictures STATIC
  ${CMAKE_CURRENT_LIST_DIR}/formula_pictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/formula_pictures.h
  ${CMAKE_CURRENT_LIST_DIR}/formula_pictures.qrc)
target_include_directories(ktv_formula_pictures PUBLIC ${KTV_SRC_DIR})
target_link_libraries(ktv_formula_pictures PUBLIC Qt6::Gui)
set_target_properties(ktv_formula_pictures PROPERTIES AUTORCC ON)

# Contact sheet of all pictures beside report-font text, for looking them over after a change:
#   formula_contact_sheet out.png [scale]
add_executable(formula_contact_sheet EXCLUDE_FROM_ALL
  ${KTV_SRC_DIR}/../tools/formula_pictures/contact_sheet.cpp)
target_link_libraries(formula_contact_sheet PRIVATE ktv_formula_pictures Qt6::Gui)
