# The game client's widgets: the main window's board, player panel, lobby and
# phrase pages, and the chat window, bound to the game client by GameSession.
rabuscal_library(rabuscal_client_ui
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/board_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chat_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/game_session.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lobby_page.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/phrase_page.cpp
    ${CMAKE_CURRENT_LIST_DIR}/player_panel.cpp
  PUBLIC_DEPS rabuscal_ui rabuscal_client_net
)

# The lobby's list of active groups, fed by the directory client.
target_sources(rabuscal_client_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/groups_panel.cpp)
target_link_libraries(rabuscal_client_ui PUBLIC rabuscal_directory_client_net)
