# Generates a 1 MB game folder and runs one short pass of every figure on it,
# the command-line program's processes included, with the window's start-up when WINDOW (and SAMPLE, the folder that holds the
# sample game's weapons) are given; fails when any of the programs does or a
# figure gives a wrong result.
file(REMOVE_RECURSE ${DIR})
execute_process(COMMAND ${GEN} ${DIR}/1mb 1 RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "qm-bench-gen failed: ${rc}")
endif()
set(window_args --cli ${CLI})
if(WINDOW)
  list(APPEND window_args --window ${WINDOW} --sample ${SAMPLE} --window-runs 1)
endif()
execute_process(COMMAND ${BENCH} --min-time 0 ${window_args} ${DIR}/1mb RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "qm-bench failed: ${rc}")
endif()
