# Fails unless the module's dynamic symbol table defines exactly the seven
# exports: anything else there would be reachable by hosts and could clash
# with their own symbols.
#   cmake -DMODULE=libOrvelXml.so -P check_exports.cmake
execute_process(COMMAND nm -D --defined-only ${MODULE} OUTPUT_VARIABLE table RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm -D failed on ${MODULE}")
endif()
string(REGEX MATCHALL "[^ \n]+\n" names "${table}")
string(REPLACE "\n" "" names "${names}")
list(SORT names)
set(exports CreateComponent GetComponentIDs OrvelDllCanUnloadNow OrvelDllFreeMap OrvelSetDllSafe SetDLLRegistry
            SetFactoryHandle)
if(NOT names STREQUAL exports)
  message(FATAL_ERROR "dynamic symbols of ${MODULE}:\n  ${names}\nexpected exactly:\n  ${exports}")
endif()
