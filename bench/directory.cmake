# bench_directory: idle connections, a connection burst and list requests,
# against a minimal epoll service in the same run.
add_executable(directory_reference ${CMAKE_CURRENT_LIST_DIR}/directory_reference.cpp)
target_compile_options(directory_reference PRIVATE ${RABUSCAL_WARNINGS})
add_executable(bench_directory ${CMAKE_CURRENT_LIST_DIR}/bench_directory.cpp)
target_compile_options(bench_directory PRIVATE ${RABUSCAL_WARNINGS})
target_compile_definitions(bench_directory PRIVATE
  RABUSCAL_DIRECTORY_EXE="$<TARGET_FILE:rabuscal-directory>"
  DIRECTORY_REFERENCE_EXE="$<TARGET_FILE:directory_reference>")
add_dependencies(bench_directory rabuscal-directory directory_reference)
