# The browser window.
rabuscal_library(rabuscal_web_ui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/browser_window.cpp
  PUBLIC_DEPS rabuscal_ui
)
