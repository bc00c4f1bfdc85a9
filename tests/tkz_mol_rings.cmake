# tkz mol info --rings and tkz mol fragments on the demo records: ring sizes,
# attribute bits, fragment texts and functional-group counts, and the
# failures.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(SDF ${DATA}/chem/demo.sdf)

include(${CMAKE_CURRENT_LIST_DIR}/tkz_run.cmake)

# The line of record NR of the last output.
function(record_line nr var)
  string(REGEX MATCH "{\"record\":${nr},[^\n]*" line "${OUT}")
  if(line STREQUAL "")
    message(FATAL_ERROR "no record ${nr} in:\n${OUT}")
  endif()
  set(${var} "${line}" PARENT_SCOPE)
endfunction()

# Per record: the ring sizes and the attributes (caffeine's fused 5- and
# 6-ring: its two fusion atoms carry 0xBC = 188; the salt's sodium is a
# lone chain atom, 1).
run("info;--rings;${SDF}" 0 "\"sssr\"")
foreach(case
    "1|caffeine|\"sssr\":\\[5,6\\],\"attributes\":\\[65,52,36,36,188,188,56,65,56,65,56,65,56,65\\]"
    "2|aspirin|\"sssr\":\\[6\\],\"attributes\":\\[65,17,65,1,56,40,40,40,40,56,17,65,65\\]"
    "3|paracetamol|\"sssr\":\\[6\\],"
    "4|sodium benzoate|\"sssr\":\\[6\\],\"attributes\":\\[1,65,17,65,56,40,40,40,40,40\\]"
    "5|ibuprofen|\"sssr\":\\[6\\],")
  string(REPLACE "|" ";" f "${case}")
  list(GET f 0 nr)
  list(GET f 1 name)
  list(GET f 2 pattern)
  record_line(${nr} line)
  if(NOT line MATCHES "\"name\":\"${name}\".*\"cas\":[^,]+,${pattern}")
    message(FATAL_ERROR "info --rings, record ${nr}: ${line}\nexpected ${pattern}")
  endif()
endforeach()
# Without --rings the lines stay as they were.
run("info;${SDF}" 0 "^{\"record\":1,")
if(OUT MATCHES "sssr|attributes")
  message(FATAL_ERROR "info without --rings:\n${OUT}")
endif()

# Fragments: texts of some atoms and the groups each record has.
run("fragments;${SDF}" 0 "\"groups\"")
foreach(case
    "1|{\"code\":275,\"text\":\"C1N\"},{\"code\":865492,\"text\":\"N1C1C1C\"}|\"NR2\":1,\"NCON\":1,\"CN\":0,\"CONR2\":1,"
    "2|\"text\":\"C2O1O1C\"|\"COOH\":1,\"COO\":1,\"NO2\":0,\"AnyCO\":2,"
    "3|\"text\":\"N1C1C\"|\"COOH\":0,.*\"AnyOH\":1,.*\"CONR2\":1,"
    "4|{\"code\":-1,\"text\":\"ERROR\"}|\"COOH\":1,\"COO\":0,"
    "5|\"text\":\"C1C1C1C\"|\"NBranch\":5,.*\"COOH\":1,")
  string(REPLACE "|" ";" f "${case}")
  list(GET f 0 nr)
  list(GET f 1 atoms)
  list(GET f 2 groups)
  string(REPLACE "{" "\\{" atoms "${atoms}")
  string(REPLACE "}" "\\}" atoms "${atoms}")
  record_line(${nr} line)
  if(NOT line MATCHES "\"atoms\":\\[.*${atoms}.*\\],\"groups\":{\"NSglBnd\":.*${groups}")
    message(FATAL_ERROR "fragments, record ${nr}: ${line}\nexpected ${atoms} and ${groups}")
  endif()
endforeach()
# Every group is named in every line.
string(REGEX MATCHALL "\"NNH2\":0}}" ends "${OUT}")
list(LENGTH ends n)
if(NOT n EQUAL 5)
  message(FATAL_ERROR "fragments: ${n} lines end with NNH2:\n${OUT}")
endif()

# Standard input, a record that cannot be read, a missing file, no file.
execute_process(COMMAND ${TKZ} mol fragments - INPUT_FILE ${SDF} RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^{\"record\":1,\"name\":\"caffeine\",\"atoms\":\\[")
  message(FATAL_ERROR "tkz mol fragments - gave ${rc}:\n${out}${err}")
endif()
file(READ ${SDF} sd)
string(REPLACE " 14 15  0  0" " 64 15  0  0" broken "${sd}")
file(WRITE ${WORK}/broken.sdf "${broken}")
foreach(cmd "fragments" "info;--rings")
  run("${cmd};${WORK}/broken.sdf" 1 [[^{"record":1,"error":"[^"]+"}
{"record":2,"name":"aspirin",]])
  run("${cmd};${WORK}/missing.sdf" 1 [[^tkz: .*missing.sdf]])
endforeach()
run("fragments" 2 [[FILE is required]])
