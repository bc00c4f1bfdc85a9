# tkz encode/decode: every format round-trips a file with all byte values,
# and a damaged input gives status 1 with a "tkz: " message.
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
if(NOT rc EQUAL 1 OR NOT err MATCHES "^tkz: ")
  message(FATAL_ERROR "a damaged input gave ${rc}: ${err}")
endif()
