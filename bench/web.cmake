# bench_web: the HTTP client over loopback, list filling and bitmap checks.
add_executable(bench_web ${CMAKE_CURRENT_LIST_DIR}/bench_web.cpp)
target_compile_options(bench_web PRIVATE ${RABUSCAL_WARNINGS})
target_include_directories(bench_web PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(bench_web PRIVATE rabuscal_web_ui web_http_fixture)
