# The client's board replay benchmark (not run by CTest): board_replay [messages]
rabuscal_executable(board_replay
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/board_replay.cpp
  DEPS rabuscal_client)
