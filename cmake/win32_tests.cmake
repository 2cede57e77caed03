# Tests of the win32 build. GoogleTest is compiled from the sources Debian
# ships with libgtest-dev; the programs run under Wine (cmake/wine.cmake).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(library gtest gtest_main)
  target_compile_options(${library} PRIVATE -w)  # not our code: its warnings are not ours to fix
endforeach()

include(GoogleTest)
# Under Wine each test program runs as one test: one Wine start per program
# instead of one per case (a start costs more than most cases). The areas'
# own gtest_discover_tests calls land here unchanged, properties included.
function(gtest_discover_tests target)
  cmake_parse_arguments(arg "" "DISCOVERY_MODE;DISCOVERY_TIMEOUT;TEST_PREFIX;TEST_SUFFIX;WORKING_DIRECTORY"
    "PROPERTIES;EXTRA_ARGS;TEST_LIST" ${ARGN})
  add_test(NAME win32.${target} COMMAND ${target} --gtest_brief=1 ${arg_EXTRA_ARGS})
  if(arg_PROPERTIES)
    set_tests_properties(win32.${target} PROPERTIES ${arg_PROPERTIES})
  endif()
endfunction()
