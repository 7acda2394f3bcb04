# The main window's directory client and the headless server's group
# announcer: Qt Network, no widgets. Included from src/client/CMakeLists.txt.
rabuscal_library(rabuscal_directory_client
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/directory_client.cpp
          ${CMAKE_CURRENT_LIST_DIR}/directory_client.h
  PUBLIC_DEPS rabuscal_protocol Qt6::Network)
