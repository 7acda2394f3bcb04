# The server window: the built-in game server's control panel, which also
# announces the server to the directory through the main window's `Cli2`.
rabuscal_library(rabuscal_server_ui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/server_window.cpp
  PUBLIC_DEPS rabuscal_ui rabuscal_server_net rabuscal_directory_client_net
)
