# Small helpers so that every folder adds its libraries, programs and tests the
# same way: a library with its alias and its own include folder, a program with
# its install rule, a test run by CTest.

include(GNUInstallDirs)

set(RABUSCAL_WARNINGS -Wall -Wextra)

# AddressSanitizer + UndefinedBehaviorSanitizer over the whole build. Tests then
# run with the suppressions for third-party noise (fontconfig, QtWebEngine).
option(RABUSCAL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(RABUSCAL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  set(RABUSCAL_SANITIZER_ENVIRONMENT
      "ASAN_OPTIONS=detect_leaks=1:new_delete_type_mismatch=0:alloc_dealloc_mismatch=0"
      "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/sanitizers/lsan.supp:print_suppressions=0"
      "UBSAN_OPTIONS=print_stacktrace=1:suppressions=${CMAKE_SOURCE_DIR}/tests/sanitizers/ubsan.supp")
endif()

# The floors of the house, from the bottom up. Every library names its floor
# (RANK); programs and tests stand on the top one. A library links only
# libraries of a lower floor, or of its own floor in its own subsystem
# (src/<subsystem>/...), and includes only headers of what it links:
# scripts/check-layers.py checks both, as the CTest test layer_check.
#   base      the protocol, text conversion, daemon helpers, pictures, build settings
#   rules     plain C++ over connection ids and bytes: no sockets, no widgets
#   adapters  thin socket code around the rules (and the tests' loopback peers)
#   widgets   the skinned widget toolkit every window is built from
#   windows   the windows of each subsystem
#   shell     the game's main window, which starts and ends all the others
#   programs  executables and tests
set(RABUSCAL_FLOORS base rules adapters widgets windows shell programs)

# Every library, program and test goes into the layer check's list, one line
# each: name|alias|rank|kind|folder|sources|public links|private links.
set_property(GLOBAL PROPERTY RABUSCAL_LAYERS "")
function(rabuscal_record_layer name alias rank kind sources public private)
  if(NOT rank IN_LIST RABUSCAL_FLOORS)
    message(FATAL_ERROR "${name}: RANK must be one of ${RABUSCAL_FLOORS} (got '${rank}')")
  endif()
  string(REPLACE ";" "," sources "${sources}")
  string(REPLACE ";" "," public "${public}")
  string(REPLACE ";" "," private "${private}")
  set_property(GLOBAL APPEND PROPERTY RABUSCAL_LAYERS
               "${name}|${alias}|${rank}|${kind}|${CMAKE_CURRENT_SOURCE_DIR}|${sources}|${public}|${private}")
endfunction()

# The include folder a library exports: for src/<subsystem>/..., a folder that
# holds only <subsystem> (a link to src/<subsystem>), so "#include "server/..."
# compiles only where a server library is linked. Test libraries export tests/.
function(_rabuscal_include_folder name)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  if(rel MATCHES "^\\.\\.")
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/tests)
    return()
  endif()
  string(REGEX REPLACE "/.*" "" subsystem "${rel}")
  set(root ${CMAKE_BINARY_DIR}/include/${subsystem})
  if(NOT EXISTS ${root}/${subsystem})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${subsystem} ${root}/${subsystem} SYMBOLIC)
  endif()
  target_include_directories(${name} PUBLIC ${root})
endfunction()

# rabuscal_library(name RANK floor [ALIAS Rabuscal::Name] SOURCES ... [PUBLIC_DEPS ...] [PRIVATE_DEPS ...])
# The alias defaults to the name in CamelCase: rabuscal_server_net -> Rabuscal::ServerNet.
function(rabuscal_library name)
  cmake_parse_arguments(ARG "" "ALIAS;RANK" "SOURCES;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  if(NOT ARG_ALIAS)
    string(REGEX REPLACE "^rabuscal_" "" stem "${name}")
    string(REPLACE "_" ";" words "${stem}")
    set(ARG_ALIAS "Rabuscal::")
    foreach(word ${words})
      string(SUBSTRING "${word}" 0 1 first)
      string(SUBSTRING "${word}" 1 -1 rest)
      string(TOUPPER "${first}" first)
      string(APPEND ARG_ALIAS "${first}${rest}")
    endforeach()
  endif()
  add_library(${ARG_ALIAS} ALIAS ${name})
  _rabuscal_include_folder(${name})
  target_compile_options(${name} PRIVATE ${RABUSCAL_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  rabuscal_record_layer(${name} ${ARG_ALIAS} "${ARG_RANK}" library "${ARG_SOURCES}"
                   "${ARG_PUBLIC_DEPS}" "${ARG_PRIVATE_DEPS}")
endfunction()

# rabuscal_executable(name SOURCES ... DEPS ... [NO_INSTALL] [DESTINATION dir])
# Programs are installed into bin/ (or DESTINATION, for helpers that only
# other programs start), except build tools marked NO_INSTALL.
function(rabuscal_executable name)
  cmake_parse_arguments(ARG "NO_INSTALL" "DESTINATION" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_DESTINATION)
    set(ARG_DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${RABUSCAL_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  if(NOT ARG_NO_INSTALL)
    install(TARGETS ${name} RUNTIME DESTINATION ${ARG_DESTINATION})
  endif()
  rabuscal_record_layer(${name} ${name} programs program "${ARG_SOURCES}" "" "${ARG_DEPS}")
endfunction()

# rabuscal_test(name SOURCES ... DEPS ... [GUI]) - a GoogleTest binary run by CTest.
# GUI tests run on Qt's offscreen platform.
function(rabuscal_test name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${RABUSCAL_WARNINGS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set(environment ${RABUSCAL_SANITIZER_ENVIRONMENT})
  if(ARG_GUI)
    list(APPEND environment "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 ENVIRONMENT "${environment}")
  rabuscal_record_layer(${name} ${name} programs test "${ARG_SOURCES}" "" "${ARG_DEPS}")
endfunction()

# The list the layer check and the architecture map read: the floors, then one
# line per library, program or test.
function(rabuscal_write_layers)
  get_property(layers GLOBAL PROPERTY RABUSCAL_LAYERS)
  list(JOIN RABUSCAL_FLOORS " " floors)
  list(JOIN layers "\n" text)
  file(WRITE ${CMAKE_BINARY_DIR}/layers.txt "floors ${floors}\n${text}\n")
endfunction()
