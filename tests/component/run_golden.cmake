# Runs one golden script through the host tool and compares its output with
# the .expected file beside it, byte for byte.
string(REGEX REPLACE "\\.script$" ".expected" expected_file "${SCRIPT}")
if(NOT EXISTS "${expected_file}")
  message(FATAL_ERROR "no ${expected_file}; create it with: orvelxml run ${SCRIPT} > ${expected_file}")
endif()
execute_process(COMMAND "${TOOL}" --module "${MODULE}" run "${SCRIPT}"
  RESULT_VARIABLE status OUTPUT_VARIABLE actual ERROR_VARIABLE errors)
file(READ "${expected_file}" expected)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "orvelxml run exited with ${status}: ${errors}")
endif()
if(NOT actual STREQUAL expected)
  get_filename_component(name "${SCRIPT}" NAME_WE)
  file(WRITE "${name}.actual" "${actual}")  # in the test's working folder, for a look afterwards
  execute_process(COMMAND diff -u "${expected_file}" "${name}.actual")
  message(FATAL_ERROR "output differs from ${expected_file}")
endif()
