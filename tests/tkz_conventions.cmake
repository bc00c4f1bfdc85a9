# The habits every tkz command shares: usage errors exit 2 with one line on
# standard error, "tkz help" shows the help, and output that cannot be written
# (standard output on /dev/full) is a failure with status 1.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/in.txt "one line of text\n<a x=\"1\">b</a>\n")

function(run)
  execute_process(COMMAND ${TKZ} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(rc ${rc} PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

# Usage errors, each a command line separated by "|".
set(usage_errors
  "frobnicate" "geo|--bogus" "geo" "cpu|--ms|0" "cpu|--ms|x" "cpu|extra" "hash" "image"
  "geo|utm|--ellipsoid" "color" "copy|onlyone" "demo|--nosuch")
foreach(line IN LISTS usage_errors)
  string(REPLACE "|" ";" args "${line}")
  run(${args})
  if(NOT rc EQUAL 2 OR NOT err MATCHES "^tkz[^\n]*\n$" OR NOT out STREQUAL "")
    message(FATAL_ERROR "tkz ${args}: status ${rc}, expected 2 and one line on stderr:\n${out}${err}")
  endif()
endforeach()

# "tkz help [COMMAND...]" is "tkz [COMMAND...] --help".
foreach(line "help" "help|geo" "help|geo|utm" "help|cpu")
  string(REPLACE "|" ";" args "${line}")
  run(${args})
  set(help_rc ${rc})
  set(help_out "${out}")
  list(REMOVE_AT args 0)
  run(${args} --help)
  if(NOT help_rc EQUAL 0 OR NOT rc EQUAL 0 OR NOT help_out STREQUAL out OR NOT out MATCHES "Usage: tkz")
    message(FATAL_ERROR "tkz ${line}: status ${help_rc}:\n${help_out}\n--- against --help:\n${out}")
  endif()
endforeach()

# Every command that writes to standard output fails on a full device.
set(writers
  "--version" "--help" "demo|--out|${WORK}/demo" "tags|${WORK}/in.txt" "regex|line|${WORK}/in.txt"
  "hash|crc32|${WORK}/in.txt" "encode|base64|${WORK}/in.txt" "cpu|--ms|1" "geo|utm|1|1"
  "geo|zone|1|1" "geo|ellipsoids" "geo|datums" "color|red" "marks|${WORK}/marks.png"
  "image|convert|${WORK}/marks.png|${WORK}/marks.bmp")
foreach(line IN LISTS writers)
  string(REPLACE "|" ";" args "${line}")
  execute_process(COMMAND ${TKZ} ${args} RESULT_VARIABLE rc OUTPUT_FILE /dev/full ERROR_VARIABLE err)
  if(NOT rc EQUAL 1 OR NOT err MATCHES "tkz: write error: No space left on device\n")
    message(FATAL_ERROR "tkz ${args} > /dev/full: status ${rc}:\n${err}")
  endif()
endforeach()

# Batch conversions stop at the first failed write instead of reading on.
execute_process(COMMAND ${TKZ} geo utm - INPUT_FILE ${WORK}/in.txt RESULT_VARIABLE rc
                OUTPUT_FILE /dev/full ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "tkz: write error")
  message(FATAL_ERROR "tkz geo utm - > /dev/full: status ${rc}:\n${err}")
endif()

# The tour stops at once, with the reason, when its folder cannot be written.
run(demo --out ${WORK}/in.txt/sub)
if(NOT rc EQUAL 1 OR NOT out STREQUAL ""
   OR NOT err MATCHES "^tkz: demo: cannot write into folder \"[^\"]*in.txt/sub\": Not a directory\n$")
  message(FATAL_ERROR "tkz demo --out on a file: status ${rc}:\n${out}${err}")
endif()

# tkz cpu: one JSON object on one line, or indented with --pretty.
run(cpu --ms 1)
set(line "${out}")
run(cpu --ms 1 --pretty)
if(NOT line MATCHES "^{\"brand\":[^\n]*}\n$" OR NOT out MATCHES "^{\n  \"brand\": .*\n}\n$")
  message(FATAL_ERROR "tkz cpu:\n${line}\n--pretty:\n${out}")
endif()
