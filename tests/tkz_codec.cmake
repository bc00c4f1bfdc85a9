# tkz encode/decode: every format round-trips a file with all byte values,
# and a damaged input gives status 1 with a "tkz: " message naming what is
# wrong; Base64 ends at its padding; failed output is status 1.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(bytes "")
foreach(i RANGE 1 255)
  string(ASCII ${i} c)
  string(APPEND bytes "${c}${c}${c}x")
endforeach()
file(WRITE ${WORK}/in.bin "${bytes}")
foreach(format base64 ascii85 rle)
  execute_process(COMMAND ${TKZ} encode ${format} ${WORK}/in.bin ${WORK}/in.${format}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "encode ${format} failed: ${rc}")
  endif()
  execute_process(COMMAND ${TKZ} decode ${format} ${WORK}/in.${format} ${WORK}/back.${format}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "decode ${format} failed: ${rc}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/in.bin ${WORK}/back.${format}
                  RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    message(FATAL_ERROR "${format} did not round-trip")
  endif()
endforeach()
file(WRITE ${WORK}/bad.b64 "@@@@ not base64")
execute_process(COMMAND ${TKZ} decode base64 ${WORK}/bad.b64 ${WORK}/bad.out
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err STREQUAL "tkz: decode base64: invalid Base64 data\n")
  message(FATAL_ERROR "a damaged input gave ${rc}: ${err}")
endif()

# Decoding from standard input: input | status | output | message. Line
# breaks after the padding are allowed, any other text is not.
set(cases
  "base64|QUJD|0|ABC|"
  "base64|QQ==\r\n\r\n|0|A|"
  "base64|QQ=|0|A|"
  "base64|QQ==QUJD|1|A|tkz: decode base64: data after the padding at offset 4\n"
  "base64|QQ==\nhello|1|A|tkz: decode base64: data after the padding at offset 5\n"
  "base64|QQ=X|1|A|tkz: decode base64: data after the padding at offset 3\n"
  "base64|QQ== |1|A|tkz: decode base64: data after the padding at offset 4\n"
  "ascii85|ab{c|1||tkz: decode ascii85: a character outside ASCII85 (\"!\" to \"u\", \"z\", \"~>\")\n"
  "ascii85|azbcd|1||tkz: decode ascii85: \"z\" inside a group of five characters\n")
string(ASCII 165 rle_mark)
list(APPEND cases "rle|x${rle_mark}|1|x|tkz: decode rle: the data ends inside a run (an incomplete 0xA5 triple)\n")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 format)
  list(GET fields 1 data)
  list(GET fields 2 expect_rc)
  list(GET fields 3 expect_out)
  list(GET fields 4 expect_err)
  file(WRITE ${WORK}/case.in "${data}")
  execute_process(COMMAND ${TKZ} decode ${format} - INPUT_FILE ${WORK}/case.in
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc STREQUAL "${expect_rc}" OR NOT err STREQUAL "${expect_err}"
     OR (rc EQUAL 0 AND NOT out STREQUAL "${expect_out}"))
    message(FATAL_ERROR "tkz decode ${format} of [${data}]: status ${rc} (expected ${expect_rc})\n"
                        "stdout [${out}] expected [${expect_out}]\n"
                        "stderr [${err}] expected [${expect_err}]")
  endif()
endforeach()

# Output that cannot be written: a named file says so, standard output stops
# the encoder with status 1.
if(EXISTS /dev/full)
  execute_process(COMMAND ${TKZ} encode base64 ${WORK}/in.bin /dev/full RESULT_VARIABLE rc
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 1 OR NOT err STREQUAL "tkz: write error: /dev/full: No space left on device\n")
    message(FATAL_ERROR "tkz encode base64 IN /dev/full gave ${rc}: ${err}")
  endif()
  foreach(format base64 ascii85 rle)
    execute_process(COMMAND ${TKZ} encode ${format} ${WORK}/in.bin OUTPUT_FILE /dev/full
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 1)
      message(FATAL_ERROR "tkz encode ${format} into /dev/full gave ${rc}")
    endif()
  endforeach()
endif()
