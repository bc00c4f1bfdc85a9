# tkz: JSON output is valid UTF-8, one object per line, whatever bytes the
# data holds: library text (Windows-1252) is converted, and any other byte that
# is not UTF-8 (a folder name, a line of input) becomes U+FFFD.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
string(ASCII 233 e_acute)   # é in Windows-1252
string(ASCII 129 undefined) # a byte that Windows-1252 leaves undefined
string(ASCII 239 191 189 replacement) # U+FFFD in UTF-8

# utf8_remainder(FILE OUT): what is left of the file's bytes, in hex, after
# taking away, from the start, every well-formed UTF-8 sequence; empty for
# valid UTF-8. (A byte that starts no sequence stays, so nothing after it can
# be taken out of step.)
function(utf8_remainder file out)
  file(READ ${file} hex HEX)
  string(REGEX REPLACE
    "[0-7][0-9a-f]|[cd][0-9a-f][89ab][0-9a-f]|e[0-9a-f][89ab][0-9a-f][89ab][0-9a-f]|f[0-4][89ab][0-9a-f][89ab][0-9a-f][89ab][0-9a-f]"
    "" rest "${hex}")
  set(${out} "${rest}" PARENT_SCOPE)
endfunction()

# expect_json_lines(WHAT OUTPUT LINES): OUTPUT is LINES lines, each a JSON
# object, in valid UTF-8.
function(expect_json_lines what output lines)
  file(WRITE ${WORK}/out.txt "${output}")
  utf8_remainder(${WORK}/out.txt rest)
  if(NOT rest STREQUAL "")
    message(FATAL_ERROR "${what}: not UTF-8 (bytes ${rest} left):\n${output}")
  endif()
  string(REGEX MATCHALL "[^\n]*\n" all "${output}")
  list(LENGTH all count)
  if(NOT count EQUAL lines)
    message(FATAL_ERROR "${what}: ${count} lines, expected ${lines}:\n${output}")
  endif()
  foreach(line IN LISTS all)
    string(JSON type ERROR_VARIABLE bad TYPE "${line}")
    if(bad OR NOT type STREQUAL "OBJECT")
      message(FATAL_ERROR "${what}: not a JSON object: ${line}${bad}")
    endif()
  endforeach()
endfunction()

# The checker itself: it must refuse a lone Windows-1252 byte.
file(WRITE ${WORK}/probe.txt "caf${e_acute}\n")
utf8_remainder(${WORK}/probe.txt rest)
if(NOT rest STREQUAL "e9")
  message(FATAL_ERROR "UTF-8 check broken: caf${e_acute} leaves ${rest}")
endif()

# tags: é and an undefined byte in a tag's name, attributes and contents.
file(WRITE ${WORK}/tags.xml
  "<caf${e_acute} k=\"${e_acute}${undefined}\">x${e_acute}y${undefined}</caf${e_acute}>\n")
execute_process(COMMAND ${TKZ} tags ${WORK}/tags.xml RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tkz tags gave ${rc}: ${err}")
endif()
expect_json_lines("tags" "${out}" 1)
file(READ ${WORK}/out.txt hex HEX)
# {"attributes":"k=\"éU+0081\"","contents":"xéyU+0081","index":0,"name":"café"}
string(HEX [[{"attributes":"k=\"]] a)
string(HEX [[","contents":"x]] c)
string(HEX [[","index":0,"name":"caf]] n)
if(NOT hex STREQUAL "${a}c3a9c2815c22${c}c3a979c281${n}c3a9227d0a")
  message(FATAL_ERROR "tags: text not converted from Windows-1252:\n${out}")
endif()

# geo from standard input: a field with a byte that is not UTF-8 is echoed in
# the error object as U+FFFD; the next line is still converted.
file(WRITE ${WORK}/geo.txt "nord${e_acute} 2\n60.5 5\n")
execute_process(COMMAND ${TKZ} geo utm - INPUT_FILE ${WORK}/geo.txt RESULT_VARIABLE rc
                OUTPUT_VARIABLE out)
expect_json_lines("geo utm -" "${out}" 2)
string(JSON error GET "${out}" error)
if(NOT rc EQUAL 1 OR NOT error STREQUAL "latitude is not a finite number: nord${replacement}")
  message(FATAL_ERROR "geo utm -: status ${rc}:\n${out}")
endif()

# geo: a finite result too large for a short buffer is still a number.
execute_process(COMMAND ${TKZ} geo helmert 183 269 52 5 1e300 RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_json_lines("geo helmert, huge height" "${out}" 1)
string(JSON type ERROR_VARIABLE bad TYPE "${out}" h)
if(NOT rc EQUAL 0 OR NOT type STREQUAL "NUMBER" OR NOT out MATCHES "\"h\":9[0-9]+\\.[0-9][0-9][0-9]}")
  message(FATAL_ERROR "geo helmert, huge height: status ${rc}: ${out}${err}${bad}")
endif()

# cpu: one object on one line.
execute_process(COMMAND ${TKZ} cpu --ms 20 RESULT_VARIABLE rc OUTPUT_VARIABLE out)
expect_json_lines("cpu" "${out}" 1)

# demo into a folder whose name is not UTF-8: the tour runs to the end and its
# summary names the folder with U+FFFD.
set(dir "${WORK}/tour_${e_acute}")
execute_process(COMMAND ${TKZ} demo --out ${dir} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT EXISTS "${dir}/demo.json")
  message(FATAL_ERROR "tkz demo into a non-UTF-8 folder gave ${rc}:\n${err}")
endif()
file(READ "${dir}/demo.json" summary)
utf8_remainder("${dir}/demo.json" rest)
string(JSON drawing ERROR_VARIABLE bad GET "${summary}" drawing drawing)
if(NOT rest STREQUAL "" OR bad OR NOT drawing MATCHES "/tour_${replacement}/drawing.png$")
  message(FATAL_ERROR "demo.json: ${bad} drawing \"${drawing}\", not UTF-8: ${rest}")
endif()
