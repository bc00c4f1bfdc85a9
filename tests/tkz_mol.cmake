# tkz mol: records of SD, molfile, CONTAB and CTABG files as JSON lines, the
# conversions between them, and the failures.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(SDF ${DATA}/chem/demo.sdf)

include(${CMAKE_CURRENT_LIST_DIR}/tkz_run.cmake)

# Each record of the SD file: name, counts, formula, weights, CAS number.
run("info;${SDF}" 0 [[^{"record":1,"name":"caffeine","atoms":14,"bonds":15,"formula":"C8H10N4O2","mw":194.1945,"exact":194.080376,"cas":"58-08-2"}
{"record":2,"name":"aspirin","atoms":13,"bonds":13,"formula":"C9H8O4",.*"cas":"50-78-2"}
.*"name":"sodium benzoate","atoms":10,"bonds":9,"formula":"C7H5O2Na",.*
{"record":5,"name":"ibuprofen",[^
]*
$]])

# Converted to every format and back: the same records.
foreach(to sdf contab ctabg)
  run("convert;${SDF};${WORK}/all.${to};--to;${to}" 0 "^$")
  run("info;${WORK}/all.${to}" 0 [["formula":"C8H10N4O2".*"formula":"C9H8O4".*"formula":"C8H9NO2".*"formula":"C7H5O2Na".*"formula":"C13H18O2"]])
endforeach()
# A molfile holds one record.
run("convert;${SDF};${WORK}/one.mol;--to;mol" 1 [[holds more than one record]])
file(READ ${SDF} sd)
string(FIND "${sd}" "$$$$" end)
string(SUBSTRING "${sd}" 0 ${end} first)
file(WRITE ${WORK}/caffeine.mol "${first}")
run("convert;${WORK}/caffeine.mol;${WORK}/caffeine2.mol;--to;mol" 0 "^$")
file(READ ${WORK}/caffeine2.mol written)
if(NOT written MATCHES "^caffeine\r?\n.*\r?\n.*\r?\n 14 15  0  0  0     0  0  0  0999 V2000\r?\n.*M  END")
  message(FATAL_ERROR "caffeine.mol as written:\n${written}")
endif()
# Standard input, and standard output.
execute_process(COMMAND ${TKZ} mol info - INPUT_FILE ${WORK}/caffeine.mol RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^{\"record\":1,\"name\":\"caffeine\",\"atoms\":14,")
  message(FATAL_ERROR "tkz mol info - gave ${rc}:\n${out}${err}")
endif()
run("convert;${WORK}/caffeine.mol;-;--to;contab" 0 "^/CONTAB 29 14\r?\n caffeine\r?\n")

# A record that cannot be read: an error line, the others still read, status 1.
string(REPLACE " 14 15  0  0" " 64 15  0  0" broken "${sd}")
file(WRITE ${WORK}/broken.sdf "${broken}")
run("info;${WORK}/broken.sdf" 1 [[^{"record":1,"error":"[^"]+"}
{"record":2,"name":"aspirin",]])
# Failures: a missing file, a bad --to, nothing given.
run("info;${WORK}/missing.sdf" 1 [[^tkz: .*missing.sdf]])
run("convert;${SDF};${WORK}/x;--to;pdb" 2 [[--to]])
run("info" 2 [[FILE is required]])
