# The pictures of the operation tabs and gang panels, in the same resource folder as the shell's
# (":/pictures/<name>.svg").
file(GLOB zelmo_operation_pictures CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_LIST_DIR}/pictures
     ${CMAKE_CURRENT_LIST_DIR}/pictures/*.svg)
list(TRANSFORM zelmo_operation_pictures PREPEND ${CMAKE_CURRENT_LIST_DIR}/pictures/)
qt_add_resources(zelmo_ui zelmo_operation_pictures PREFIX /pictures
                 BASE ${CMAKE_CURRENT_LIST_DIR}/pictures FILES ${zelmo_operation_pictures})
