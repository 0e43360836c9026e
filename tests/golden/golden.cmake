# Runs quillmark-cli over the weapons of weapons.tdf and compares what it
# prints with expected.txt byte for byte: the key and description of every
# field, a weapon that fills every field in both modes and an empty weapon.
# The weapon exported under Windows-1252 names is compared with expected.tdf.
# Run with -DUPDATE=ON to rewrite both after an intended change.
#   cmake -DCLI=... -DDIR=<this folder> -DWORK=<scratch folder> [-DUPDATE=ON] -P golden.cmake
set(out "")
macro(run)
  execute_process(COMMAND ${CLI} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE rc ERROR_QUIET)
  string(APPEND out "$ quillmark-cli ${ARGN}\n${text}exit ${rc}\n")
endmacro()

foreach(field RANGE 1 66)
  run(describe ${field})
endforeach()
set(game --game ${DIR} --import ${DIR}/weapons.tdf)
run(${game} show SABRE_CANNON --json)
run(${game} show SABRE_CANNON --json --actual)
run(${game} show EMPTY_SHELL)
file(REMOVE ${WORK}/export.tdf)
execute_process(COMMAND ${CLI} ${game} export SABRE_CANNON --actual-name "Šturm" --name "Šabre Ⅱ"
                        --id 201 --out ${WORK}/export.tdf RESULT_VARIABLE rc ERROR_QUIET)
string(APPEND out "$ quillmark-cli export SABRE_CANNON\nexit ${rc}\n")
# Paths differ from machine to machine.
string(REPLACE "${DIR}" "DIR" out "${out}")

if(UPDATE)
  file(WRITE ${DIR}/expected.txt "${out}")
  file(COPY_FILE ${WORK}/export.tdf ${DIR}/expected.tdf)
  return()
endif()
file(WRITE ${WORK}/actual.txt "${out}")
foreach(pair "expected.txt;actual.txt" "expected.tdf;export.tdf")
  list(GET pair 0 expected)
  list(GET pair 1 actual)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${DIR}/${expected} ${WORK}/${actual} RESULT_VARIABLE differ)
  if(differ)
    execute_process(COMMAND diff -u --text ${DIR}/${expected} ${WORK}/${actual})
    message(FATAL_ERROR "${WORK}/${actual} differs from ${DIR}/${expected}")
  endif()
endforeach()
