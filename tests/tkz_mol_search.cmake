# tkz mol search: the records of the demo SD file that contain a query, with
# and without bond types, from standard input, traced, on one or more
# workers, and the failures.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(SDF ${DATA}/chem/demo.sdf)

# A number right-aligned in three columns.
function(pad3 n out)
  string(LENGTH "${n}" len)
  if(len EQUAL 1)
    set(${out} "  ${n}" PARENT_SCOPE)
  else()
    set(${out} " ${n}" PARENT_SCOPE)
  endif()
endfunction()

# Writes WORK/NAME.mol: atoms a list of symbols, bonds a list of A-B-TYPE.
function(molfile name atoms bonds)
  list(LENGTH atoms na)
  list(LENGTH bonds nb)
  pad3(${na} a3)
  pad3(${nb} b3)
  set(text "${name}\n     tkz test\n\n${a3}${b3}  0  0  0  0  0  0  0  0999 V2000\n")
  foreach(sym IN LISTS atoms)
    string(LENGTH "${sym}" len)
    if(len EQUAL 1)
      set(sym "${sym} ")
    endif()
    string(APPEND text "    0.0000    0.0000    0.0000 ${sym}  0  0  0  0  0  0  0  0  0  0  0  0\n")
  endforeach()
  foreach(bond IN LISTS bonds)
    string(REPLACE "-" ";" abt "${bond}")
    list(GET abt 0 a)
    list(GET abt 1 b)
    list(GET abt 2 t)
    pad3(${a} a)
    pad3(${b} b)
    pad3(${t} t)
    string(APPEND text "${a}${b}${t}  0\n")
  endforeach()
  string(APPEND text "M  END\n")
  file(WRITE ${WORK}/${name}.mol "${text}")
endfunction()

function(run args status expected)
  execute_process(COMMAND ${TKZ} mol search ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err WORKING_DIRECTORY ${WORK})
  if(NOT rc EQUAL ${status} OR NOT "${out}${err}" MATCHES "${expected}")
    message(FATAL_ERROR "tkz mol search ${args} gave ${rc}:\n${out}${err}\nexpected ${status}, ${expected}")
  endif()
  set(OUT "${out}" PARENT_SCOPE)
endfunction()

# The records: 1 caffeine, 2 aspirin, 3 paracetamol, 4 sodium benzoate,
# 5 ibuprofen (Kekule rings as RDKit writes them).
molfile(benzene "C;C;C;C;C;C" "1-2-2;2-3-1;3-4-2;4-5-1;5-6-2;6-1-1")
molfile(cyclohexane "C;C;C;C;C;C" "1-2-1;2-3-1;3-4-1;4-5-1;5-6-1;6-1-1")
molfile(carboxyl "C;O;O" "1-2-2;1-3-1")
molfile(amide "C;O;N" "1-2-2;1-3-1")
molfile(nitrile "C;N" "1-2-3")
molfile(imidazole "C;N;C;N;C" "1-2-1;2-3-1;3-4-1;4-5-1;5-1-1")
molfile(chloro "C;Cl" "1-2-1")
molfile(salt "C;O;Na" "1-2-1")
# query, option, status, the record numbers printed (- for none)
set(cases
  "benzene|--bonds|0|2 3 4 5"
  "benzene|-|0|2 3 4 5"
  "cyclohexane|--bonds|1|-"
  "cyclohexane|-|0|2 3 4 5"
  "carboxyl|--bonds|0|2 4 5"
  "amide|--bonds|0|1 3"
  "nitrile|-|0|1 3"
  "nitrile|--bonds|1|-"
  "imidazole|-|0|1"
  "chloro|-|1|-"
  "salt|-|0|4"
)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 query)
  list(GET fields 1 option)
  list(GET fields 2 status)
  list(GET fields 3 records)
  if(option STREQUAL "-")
    set(option "")
  endif()
  string(REPLACE " " "\n" lines "${records}")
  if(lines STREQUAL "-")
    set(lines "")
  else()
    string(APPEND lines "\n")
  endif()
  foreach(threads 1 3)
    run("${query}.mol;${SDF};${option};--threads;${threads}" ${status} "")
    if(NOT OUT STREQUAL "${lines}")
      message(FATAL_ERROR "${query} ${option} on ${threads} workers: ${OUT}, expected ${lines}")
    endif()
  endforeach()
endforeach()

# Many records on every core: the demo file 40 times over, in record order.
file(READ ${SDF} sd)
set(big "")
set(expected "")
foreach(i RANGE 0 39)
  string(APPEND big "${sd}")
  math(EXPR r "${i} * 5 + 4")
  string(APPEND expected "${r}\n")
endforeach()
file(WRITE ${WORK}/big.sdf "${big}")
run("salt.mol;big.sdf" 0 "")
if(NOT OUT STREQUAL "${expected}")
  message(FATAL_ERROR "salt in big.sdf: ${OUT}")
endif()

# Standard input, and an SD file as the query (its first record, caffeine).
execute_process(COMMAND ${TKZ} mol search imidazole.mol - INPUT_FILE ${SDF} WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "1\n")
  message(FATAL_ERROR "from standard input: ${rc} ${out}")
endif()
run("${SDF};${SDF}" 0 "^1\n$")

# The trace: written only when asked, four lines per step.
run("carboxyl.mol;${SDF}" 0 "")
if(EXISTS ${WORK}/substrct.txt)
  message(FATAL_ERROR "a trace without --trace")
endif()
run("carboxyl.mol;${SDF};--trace" 0 "^2\n4\n5\n$")
file(STRINGS ${WORK}/substrct.txt trace)
list(LENGTH trace n)
math(EXPR rest "${n} % 4")
list(GET trace 0 first)
list(GET trace 1 second)
if(n EQUAL 0 OR NOT rest EQUAL 0 OR NOT first MATCHES "^level=0  0 0 [0-9]+ 2$"
   OR NOT second MATCHES "^[TF] [TF]$")
  message(FATAL_ERROR "trace of ${n} lines: ${first} / ${second}")
endif()

# A record that cannot be read is named and skipped; the others are searched.
string(REPLACE " 14 15  0  0" " 64 15  0  0" broken "${sd}")
file(WRITE ${WORK}/broken.sdf "${broken}")
run("salt.mol;broken.sdf" 0 "record 1: not a structure.*skipped")
if(NOT OUT STREQUAL "4\n")
  message(FATAL_ERROR "broken.sdf: ${OUT}")
endif()

# Records as the SD reader reads them, numbered as "tkz mol info" numbers
# them: 1 ethanol with blank-separated atom and bond lines, 2 a blank
# record (named and skipped), 3 propane, 4 methanol with a blank name line,
# 5 dimethyl ether; with LF, CR LF and lone CR line ends.
molfile(co "C;O" "1-2-1")
molfile(propane "C;C;C" "1-2-1;2-3-1")
molfile(methanol "C;O" "1-2-1")
molfile(ether "C;O;C" "1-2-1;2-3-1")
file(READ ${WORK}/propane.mol propane)
file(READ ${WORK}/methanol.mol methanol)
file(READ ${WORK}/ether.mol ether)
string(REGEX REPLACE "^methanol\n" "\n" methanol "${methanol}")
set(free "ethanol\n  free form\n\n  3  2  0  0  0  0  0  0  0  0999 V2000\n0.0 0.0 0.0 C 0 0\n")
string(APPEND free "1.5 0.0 0.0 C\n1.5 1.5 0.0 O\n1 2 1\n2 3 1\nM  END\n")
set(records "${free}$$$$\n   \n$$$$\n${propane}$$$$\n${methanol}$$$$\n${ether}$$$$\n\n")
string(REPLACE "\n" "\r\n" crlf "${records}")
string(REPLACE "\n" "\r" cr "${records}")
foreach(form IN ITEMS records crlf cr)
  file(WRITE ${WORK}/${form}.sdf "${${form}}")
  run("co.mol;${form}.sdf" 0
      "^1\n4\n5\ntkz: mol search: ${form}.sdf: record 2: not a structure[^\n]*skipped\n$")
endforeach()
run("co.mol;records.sdf;--threads;1" 0 "^1\n4\n5\ntkz: mol search: records.sdf: record 2: [^\n]*\n$")
# A CR LF split by the end of the reader's 64 KiB block, right after a
# "$$$$": the LF ends no further line, so the next record (methanol, its
# name line blank) still reads.
string(REPLACE "\n" "\r\n" first "${propane}> <PAD>\n")
string(REPLACE "\n" "\r\n" second "${methanol}$$$$\n")
string(LENGTH "${first}" len)
math(EXPR k "65535 - ${len} - 8")
string(REPEAT "x" ${k} pad)
file(WRITE ${WORK}/split.sdf "${first}${pad}\r\n\r\n$$$$\r\n${second}")
run("co.mol;split.sdf" 0 "^2\n$")

execute_process(COMMAND ${TKZ} mol info records.sdf WORKING_DIRECTORY ${WORK} OUTPUT_VARIABLE info)
if(NOT info MATCHES "\"record\":1,\"name\":\"ethanol\"" OR NOT info MATCHES "\"record\":2,\"error\""
   OR NOT info MATCHES "\"record\":4,\"name\":\"\",\"atoms\":2,"
   OR NOT info MATCHES "\"record\":5,\"name\":\"ether\"" OR info MATCHES "\"record\":6")
  message(FATAL_ERROR "tkz mol info numbers the records otherwise:\n${info}")
endif()

# Failures: status 2.
run("missing.mol;${SDF}" 2 "tkz: mol search: missing.mol")
run("benzene.mol;missing.sdf" 2 "tkz: mol search: missing.sdf")
file(WRITE ${WORK}/empty.mol "")
run("empty.mol;${SDF}" 2 "not a structure")
run("benzene.mol" 2 "FILE is required")
run("benzene.mol;${SDF};--threads;0" 2 "threads")
