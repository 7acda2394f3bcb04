# The server window.
rabuscal_library(rabuscal_server_ui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/server_window.cpp
  PUBLIC_DEPS rabuscal_ui
)
