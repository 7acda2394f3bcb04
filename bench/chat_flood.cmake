# chat_flood: the game's windows against a server that floods chat entries,
# with a click on the chat window every 50 ms (not run by CTest).
rabuscal_executable(chat_flood
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/chat_flood.cpp
  DEPS rabuscal_shell)
if(TARGET rabuscal_assets)
  target_link_libraries(chat_flood PRIVATE rabuscal_assets)
endif()
