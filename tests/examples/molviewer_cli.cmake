# tkz-molviewer's command line: the picture of the first view written
# without a display, at the size asked for, with a search started at once;
# status 1 with a message naming the file for files it cannot show, 2 for
# usage errors.
set(TKZ ${VIEWER})
set(RUN_GROUP "")
include(${CMAKE_CURRENT_LIST_DIR}/../tkz_run.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(ENV{DISPLAY} "")
set(NCI /usr/share/RDKit/Data/NCI/first_200.props.sdf)
file(WRITE ${WORK}/letter.txt "Dear reader,\nthis is no molfile.\n")
file(WRITE ${WORK}/empty.sdf "")
file(WRITE ${WORK}/bad.mol "not a query\n")

# Arguments (split at ","), status and a pattern of the output, split at "|".
set(cases
    "--help|0|usage: tkz-molviewer \\[options\\] FILE"
    "|2|tkz-molviewer: no FILE given"
    "--frobnicate,x.sdf|2|tkz-molviewer: unknown option --frobnicate"
    "--size,12x7,x.sdf|2|--size needs WxH"
    "--size,800by600,x.sdf|2|--size needs WxH"
    "--size,199x150,x.sdf|2|--size needs WxH"
    "--size,200x149,x.sdf|2|--size needs WxH"
    "--size,-800x600,x.sdf|2|--size needs WxH"
    "--size,800x,x.sdf|2|--size needs WxH"
    "--size,800x600x2,x.sdf|2|--size needs WxH"
    "--size,99999999999x600,x.sdf|2|--size needs WxH"
    "--screenshot|2|--screenshot needs an output file"
    "a.sdf,b.sdf|2|only one FILE"
    "--screenshot,${WORK}/o.png,${WORK}/missing.sdf|1|tkz-molviewer: ${WORK}/missing.sdf: cannot be read"
    "--screenshot,${WORK}/o.png,${WORK}/letter.txt|1|tkz-molviewer: ${WORK}/letter.txt: not a molfile or SD file"
    "--screenshot,${WORK}/o.png,${WORK}/empty.sdf|1|${WORK}/empty.sdf: not a molfile or SD file"
    "--screenshot,${WORK}/o.png,${WORK}|1|${WORK}: is a folder"
    # The file is checked before the display.
    "${WORK}/letter.txt|1|^tkz-molviewer: ${WORK}/letter.txt: not a molfile or SD file")
foreach(case IN LISTS cases)
  # Fields are split at "|", arguments at ",".
  string(REGEX MATCH "^([^|]*)\\|([0-9])\\|(.*)$" _ "${case}")
  string(REPLACE "," ";" args "${CMAKE_MATCH_1}")
  set(status ${CMAKE_MATCH_2})
  set(pattern "${CMAKE_MATCH_3}")
  run("${args}" ${status} "${pattern}")
endforeach()
if(EXISTS ${WORK}/o.png)
  message(FATAL_ERROR "a refused file left a picture")
endif()

if(NOT EXISTS ${NCI})
  message(STATUS "rdkit-data is not installed: the pictures are not checked")
  return()
endif()
# The picture at the size asked for (width and height from the PNG header).
foreach(size "1000x700" "200x150")  # the default and the smallest
  set(args --screenshot ${WORK}/v${size}.png ${NCI})
  if(NOT size STREQUAL "1000x700")
    list(PREPEND args --size ${size})
  endif()
  run("${args}" 0 "")
  file(READ ${WORK}/v${size}.png head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 32 16 dims)
  string(REGEX MATCH "^([0-9]+)x([0-9]+)$" _ "${size}")
  math(EXPR expected "(${CMAKE_MATCH_1} << 32) | ${CMAKE_MATCH_2}" OUTPUT_FORMAT HEXADECIMAL)
  math(EXPR got "0x${dims}" OUTPUT_FORMAT HEXADECIMAL)
  if(NOT got STREQUAL expected)
    message(FATAL_ERROR "${size}: the picture is ${head}")
  endif()
endforeach()
# A search at once: the picture shows the first hit, so it differs from
# the first record's; a query that cannot be read is named.
file(READ ${NCI} nci)
string(REGEX REPLACE "M  END.*" "M  END\n" query "${nci}")  # the first structure
file(WRITE ${WORK}/q.mol "${query}")
run("--query;${WORK}/q.mol;--screenshot;${WORK}/q.png;${NCI}" 0 "")
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/q.png ${WORK}/v1000x700.png
                RESULT_VARIABLE differ)
if(differ EQUAL 0)
  message(FATAL_ERROR "the search changed nothing in the picture")
endif()
run("--query;${WORK}/bad.mol;--screenshot;${WORK}/q2.png;${NCI}" 1
    "tkz-molviewer: ${WORK}/bad.mol: not a structure")
run("--screenshot;/nonexistent/dir/o.png;${NCI}" 1 "tkz-molviewer: /nonexistent/dir/o.png: ")
run("${NCI}" 1 "^tkz-molviewer: cannot open the X display \\(set DISPLAY\\)")
