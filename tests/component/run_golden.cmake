# Runs one golden script through the host tool and compares its output with
# the .expected file beside it, byte for byte.
# EMULATOR runs a cross-built tool (wine-run); SCRIPT and MODULE are paths
# as the tool sees them (on Wine with the drive letter of the Unix root).
string(REGEX REPLACE "^[A-Za-z]:" "" script_file "${SCRIPT}")
string(REGEX REPLACE "\\.script$" ".expected" expected_file "${script_file}")
# A script whose paths mean other things on Windows (devices such as
# /dev/null) has a NAME.win32.expected beside it for the win32 build.
string(REGEX REPLACE "\\.script$" ".win32.expected" win32_expected_file "${script_file}")
if(EMULATOR AND EXISTS "${win32_expected_file}")
  set(expected_file "${win32_expected_file}")
endif()
if(NOT EXISTS "${expected_file}")
  message(FATAL_ERROR "no ${expected_file}; create it with: orvelxml run ${SCRIPT} > ${expected_file}")
endif()
execute_process(COMMAND ${EMULATOR} "${TOOL}" --module "${MODULE}" run "${SCRIPT}"
  RESULT_VARIABLE status OUTPUT_VARIABLE actual ERROR_VARIABLE errors)
file(READ "${expected_file}" expected)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "orvelxml run exited with ${status}: ${errors}")
endif()
if(NOT actual STREQUAL expected)
  get_filename_component(name "${script_file}" NAME_WE)
  file(WRITE "${name}.actual" "${actual}")  # in the test's working folder, for a look afterwards
  execute_process(COMMAND diff -u "${expected_file}" "${name}.actual")
  message(FATAL_ERROR "output differs from ${expected_file}")
endif()
