# The pictures of the windows and custom controls: SVG files compiled into the program as the
# resources ":/pictures/<name>.svg".
file(GLOB zelmo_pictures CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_LIST_DIR}/pictures
     ${CMAKE_CURRENT_LIST_DIR}/pictures/*.svg)
list(TRANSFORM zelmo_pictures PREPEND ${CMAKE_CURRENT_LIST_DIR}/pictures/)
qt_add_resources(zelmo_ui zelmo_pictures PREFIX /pictures BASE ${CMAKE_CURRENT_LIST_DIR}/pictures
                 FILES ${zelmo_pictures})
