# tkz mol render: records of the demo SD file drawn into pictures, the
# sizes, the layout search, standard input, records with a blank name line,
# and the failures.
include(${CMAKE_CURRENT_LIST_DIR}/tkz_run.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(SDF ${DATA}/chem/demo.sdf)

# Renders: record, size option ("" for the default), the name and size the
# JSON line must report.
foreach(case "1;-;caffeine;400;300" "4;-;sodium benzoate;400;300" "5;800x600;ibuprofen;800;600"
             "2;37x21;aspirin;37;21")
  list(GET case 0 record)
  list(GET case 1 size)
  list(GET case 2 name)
  list(GET case 3 w)
  list(GET case 4 h)
  set(args render ${SDF} ${WORK}/r${record}.png --record ${record})
  if(NOT size STREQUAL "-")
    list(APPEND args --size ${size})
  endif()
  run("${args}" 0 "\"name\":\"${name}\".*\"width\":${w},\"height\":${h}")
  file(READ ${WORK}/r${record}.png head LIMIT 8 HEX)
  if(NOT head STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "record ${record}: no PNG file (${head})")
  endif()
endforeach()

# The same record twice gives the same bytes; BMP by the extension.
run("render;${SDF};${WORK}/again.png;--record;1" 0 "caffeine")
file(SHA1 ${WORK}/r1.png a)
file(SHA1 ${WORK}/again.png b)
if(NOT a STREQUAL b)
  message(FATAL_ERROR "two renders of record 1 differ")
endif()
run("render;${SDF};${WORK}/r1.bmp" 0 "caffeine")
file(READ ${WORK}/r1.bmp head LIMIT 2 HEX)
if(NOT head STREQUAL "424d")
  message(FATAL_ERROR "no BMP file")
endif()

# The layout search never lowers the score.
run("render;${SDF};${WORK}/opt.png;--record;5;--optimize" 0 "score_after")
string(JSON before GET "${OUT}" score_before)
string(JSON after GET "${OUT}" score_after)
if(after LESS before)
  message(FATAL_ERROR "--optimize lowered the score: ${before} -> ${after}")
endif()

# Standard input, and a record whose name line is blank (as RDKit writes
# them): the record is read, not skipped past its first line.
file(READ ${SDF} sdf)
string(FIND "${sdf}" "\n" eol)
string(SUBSTRING "${sdf}" ${eol} -1 blank_named)
file(WRITE ${WORK}/blank.sdf "${blank_named}")
execute_process(COMMAND ${TKZ} mol render - ${WORK}/stdin.png INPUT_FILE ${WORK}/blank.sdf
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "\"name\":\"\",\"atoms\":14")
  message(FATAL_ERROR "stdin with a blank name line gave ${rc}: ${out}${err}")
endif()
run("render;${WORK}/blank.sdf;${WORK}/blank.png;--record;2" 0 "\"name\":\"aspirin\",\"atoms\":13")

# Failures: status and message.
foreach(case "render;${SDF};${WORK}/x.png;--size;abc|2|invalid size abc"
             "render;${SDF};${WORK}/x.png;--size;0x10|2|invalid size 0x10"
             "render;${SDF};${WORK}/x.png;--size;9000x10|2|invalid size"
             "render;${SDF};${WORK}/x.png;--record;0|2|record"
             "render;${SDF};${WORK}/x.png;--record;99|1|no record 99"
             "render;${WORK}/missing.sdf;${WORK}/x.png|1|missing.sdf"
             "render;${SDF};${WORK}/no/such/dir/x.png|1|cannot write"
             "render;${SDF};${WORK}/x.txt|1|cannot write"
             "render;${SDF}|2|OUT")
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts -1 pattern)
  list(GET parts -2 status)
  list(REMOVE_AT parts -1 -2)
  run("${parts}" ${status} "${pattern}")
endforeach()
if(EXISTS ${WORK}/x.png OR EXISTS ${WORK}/x.txt)
  message(FATAL_ERROR "a failed render left a file behind")
endif()
