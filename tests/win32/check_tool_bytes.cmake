# orvelxml format of a document with CRLF line ends, run under Wine: the text
# on stdout must keep each CR LF as it is (the C runtime's text mode would
# write CR CR LF). -DEMULATOR=... -DTOOL=... -DMODULE=... -DWORK=folder
cmake_minimum_required(VERSION 3.25)
string(ASCII 13 cr)
set(input "<r>${cr}\n<a/>${cr}\n</r>${cr}\n")
set(expected "<r>${cr}\n\t<a/>${cr}\n</r>${cr}\n")
file(WRITE "${WORK}/crlf.xml" "${input}")
execute_process(COMMAND ${EMULATOR} "${TOOL}" --module "${MODULE}" format "Z:${WORK}/crlf.xml"
  OUTPUT_FILE "${WORK}/crlf.out" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "orvelxml format exited with ${status}")
endif()
file(READ "${WORK}/crlf.out" actual HEX)
file(WRITE "${WORK}/crlf.expected" "${expected}")
file(READ "${WORK}/crlf.expected" wanted HEX)
if(NOT actual STREQUAL wanted)
  message(FATAL_ERROR "format wrote\n  ${actual}\nexpected\n  ${wanted}")
endif()
