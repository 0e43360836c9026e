# Generates a 1 MB game folder and runs one short pass of every figure on it;
# fails when either program does.
file(REMOVE_RECURSE ${DIR})
execute_process(COMMAND ${GEN} ${DIR}/1mb 1 RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "qm-bench-gen failed: ${rc}")
endif()
execute_process(COMMAND ${BENCH} --min-time 0 ${DIR}/1mb RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "qm-bench failed: ${rc}")
endif()
