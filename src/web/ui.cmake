# The web widgets: the browser window and its content, and the gallery panel
# of the page "Desenho". Without Qt WebEngine the browser window still opens,
# empty, and the rest of the game is unaffected.
rabuscal_library(rabuscal_web_ui
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/browser_panel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/browser_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gallery_panel.cpp
  PUBLIC_DEPS rabuscal_ui rabuscal_web
)
if(TARGET Qt6::WebEngineWidgets)
  target_link_libraries(rabuscal_web_ui PUBLIC Qt6::WebEngineWidgets)
  target_compile_definitions(rabuscal_web_ui PRIVATE RABUSCAL_HAVE_WEBENGINE=1)
else()
  target_compile_definitions(rabuscal_web_ui PRIVATE RABUSCAL_HAVE_WEBENGINE=0)
endif()
