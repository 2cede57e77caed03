# A short, repeatable fuzz run: RUNS inputs from seed 1, mutated from CORPUS
# with DICT, new inputs kept in SCRATCH (emptied first).
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
execute_process(COMMAND ${TARGET} -runs=${RUNS} -seed=1 -dict=${DICT} -print_final_stats=1 ${SCRATCH} ${CORPUS}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TARGET} failed (${result})")
endif()
