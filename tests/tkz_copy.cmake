# tkz copy: a file, a directory tree (with a nested file and a link kept as a
# link), a missing source giving status 1 with a "tkz: " message, and a
# source that grows while the bar is drawn.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/tree/sub)
set(bytes "")
foreach(i RANGE 1 3000)
  string(APPEND bytes "line ${i}\n")
endforeach()
file(WRITE ${WORK}/one.txt "${bytes}")
file(WRITE ${WORK}/tree/a.txt "a")
file(WRITE ${WORK}/tree/sub/b.txt "${bytes}")
file(CREATE_LINK sub ${WORK}/tree/sub_link SYMBOLIC)

execute_process(COMMAND ${TKZ} copy ${WORK}/one.txt ${WORK}/two.txt
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
  message(FATAL_ERROR "file copy gave ${rc}: ${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/one.txt ${WORK}/two.txt
                RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "the copied file differs")
endif()

execute_process(COMMAND ${TKZ} copy ${WORK}/tree ${WORK}/copy/of/tree RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tree copy gave ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/tree/sub/b.txt
                        ${WORK}/copy/of/tree/sub/b.txt RESULT_VARIABLE same)
file(READ ${WORK}/copy/of/tree/a.txt a)
file(READ_SYMLINK ${WORK}/copy/of/tree/sub_link target)
if(NOT same EQUAL 0 OR NOT a STREQUAL "a" OR NOT target STREQUAL "sub")
  message(FATAL_ERROR "the copied tree differs (${same}, '${a}', '${target}')")
endif()

execute_process(COMMAND ${TKZ} copy ${WORK}/missing ${WORK}/x
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "^tkz: cannot copy .*missing.*: the source cannot be opened")
  message(FATAL_ERROR "a missing source gave ${rc}: ${err}")
endif()
execute_process(COMMAND ${TKZ} copy ${WORK}/one.txt ${WORK}/no/dir/x
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 2)
  message(FATAL_ERROR "an impossible target gave ${rc}: ${err}")
endif()

# A source that grows while it is copied (a writer keeps appending until the
# copy is over, 20 MB at most): the bar on a terminal (script gives one)
# stays within 100% and the copy succeeds.
find_program(SCRIPT script)
if(SCRIPT)
  execute_process(COMMAND head -c 4000000 /dev/urandom OUTPUT_FILE ${WORK}/growing)
  execute_process(COMMAND head -c 65536 /dev/urandom OUTPUT_FILE ${WORK}/chunk)
  execute_process(
    COMMAND sh -c "i=0; while [ $i -lt 300 ] && [ ! -e '${WORK}/over' ]; do cat '${WORK}/chunk' >> '${WORK}/growing'; i=$((i+1)); done"
    COMMAND ${SCRIPT} -qec "n=0; while [ $(stat -c %s '${WORK}/growing') -le 4000000 ] && [ $n -lt 20000 ]; do n=$((n+1)); done; '${TKZ}' copy '${WORK}/growing' '${WORK}/grown'; s=$?; touch '${WORK}/over'; exit $s" /dev/null
    RESULT_VARIABLE rc OUTPUT_VARIABLE out)
  file(REMOVE ${WORK}/growing ${WORK}/grown)
  if(NOT rc EQUAL 0 OR out MATCHES "tkz: " OR NOT out MATCHES "100%")
    message(FATAL_ERROR "copying a growing file on a terminal gave ${rc}: ${out}")
  endif()
endif()
