# tkz copy: a file, a directory tree (with a nested file and a link kept as a
# link, directory modes and times kept, special files named as skipped), a
# missing source giving status 1 with a "tkz: " message, failures that keep
# the old target and name the file, racing copies that never mix, one bar
# for a tree, and a source that grows while the bar is drawn.
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

# Failures: status 1 and a message naming the file and the reason.
# (cases: source, target, message pattern)
file(MAKE_DIRECTORY ${WORK}/blocked/a.txt)  # a folder where tree/a.txt goes
set(failures
  "missing|x|^tkz: cannot copy \"[^\"]*missing\" to \"[^\"]*x\": the source cannot be opened: No such file or directory\n$"
  "one.txt|no/dir/x|^tkz: cannot copy \"[^\"]*one.txt\" to .*: the destination cannot be created: No such file or directory\n$"
  "tree|blocked|^tkz: cannot copy \"[^\"]*tree/a.txt\": the destination cannot be created: Is a directory\n$")
foreach(case IN LISTS failures)
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 src)
  list(GET case 1 dst)
  list(GET case 2 pattern)
  execute_process(COMMAND ${TKZ} copy ${WORK}/${src} ${WORK}/${dst}
                  RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 1 OR NOT err MATCHES "${pattern}")
    message(FATAL_ERROR "copying ${src} to ${dst} gave ${rc}: ${err}")
  endif()
endforeach()
if(NOT EXISTS ${WORK}/blocked/sub/b.txt)
  message(FATAL_ERROR "the tree copy stopped at its first failure")
endif()

# A copy that fails half way (a file size limit stands in for a full disk)
# keeps the old target and leaves no temporary file.
file(WRITE ${WORK}/old.txt "old")
execute_process(
  COMMAND sh -c "trap '' XFSZ; ulimit -f 20 && exec '${TKZ}' copy '${WORK}/one.txt' '${WORK}/old.txt'"
  RESULT_VARIABLE rc ERROR_VARIABLE err)
file(READ ${WORK}/old.txt old)
file(GLOB leftovers ${WORK}/old.txt?*)
if(NOT rc EQUAL 1 OR NOT err MATCHES "^tkz: cannot copy .*one.txt.*: write error: File too large"
   OR NOT old STREQUAL "old" OR leftovers)
  message(FATAL_ERROR "a failed copy gave ${rc} (${err}), left '${old}' and ${leftovers}")
endif()

# A link as the target: the file it names gets the copy, the link stays.
file(CREATE_LINK old.txt ${WORK}/old_link SYMBOLIC)
execute_process(COMMAND ${TKZ} copy ${WORK}/tree/a.txt ${WORK}/old_link RESULT_VARIABLE rc)
file(READ ${WORK}/old.txt old)
if(NOT rc EQUAL 0 OR NOT IS_SYMLINK ${WORK}/old_link OR NOT old STREQUAL "a")
  message(FATAL_ERROR "copying onto a link gave ${rc} and '${old}'")
endif()

# Eight copies of two sources onto one target at once: the target is one
# source whole, never a mix.
execute_process(COMMAND head -c 3000000 /dev/urandom OUTPUT_FILE ${WORK}/race_a)
execute_process(COMMAND head -c 3000000 /dev/urandom OUTPUT_FILE ${WORK}/race_b)
file(WRITE ${WORK}/race "")
set(racers)
foreach(i RANGE 1 4)
  list(APPEND racers COMMAND ${TKZ} copy ${WORK}/race_a ${WORK}/race
                     COMMAND ${TKZ} copy ${WORK}/race_b ${WORK}/race)
endforeach()
execute_process(${racers} RESULTS_VARIABLE results)
file(SHA256 ${WORK}/race got)
file(SHA256 ${WORK}/race_a a)
file(SHA256 ${WORK}/race_b b)
file(GLOB leftovers ${WORK}/race?*)
list(REMOVE_ITEM leftovers ${WORK}/race_a ${WORK}/race_b)
if(NOT results STREQUAL "0;0;0;0;0;0;0;0" OR NOT (got STREQUAL a OR got STREQUAL b) OR leftovers)
  message(FATAL_ERROR "racing copies gave ${results}, a mixed target or ${leftovers}")
endif()

# Directories keep their modes and times (a private one stays private);
# a pipe in the tree is named as skipped and the status is 1.
file(MAKE_DIRECTORY ${WORK}/modes/private/deep)
file(WRITE ${WORK}/modes/private/deep/f.txt "f")
execute_process(COMMAND chmod 700 ${WORK}/modes/private)
execute_process(COMMAND chmod 750 ${WORK}/modes/private/deep)
execute_process(COMMAND touch -d "2001-02-03 04:05:06" ${WORK}/modes/private/deep
                ${WORK}/modes/private)
execute_process(COMMAND mkfifo ${WORK}/modes/private/pipe RESULT_VARIABLE fifo_rc)
execute_process(COMMAND ${TKZ} copy ${WORK}/modes ${WORK}/modes_copy
                RESULT_VARIABLE rc ERROR_VARIABLE err)
execute_process(COMMAND stat -c "%a %Y" ${WORK}/modes/private ${WORK}/modes/private/deep
                OUTPUT_VARIABLE want)
execute_process(COMMAND stat -c "%a %Y" ${WORK}/modes_copy/private ${WORK}/modes_copy/private/deep
                OUTPUT_VARIABLE got)
if(NOT got STREQUAL want OR NOT want MATCHES "^700 .*\n750 ")
  message(FATAL_ERROR "directory modes and times: ${got} instead of ${want}")
endif()
if(fifo_rc EQUAL 0)
  if(NOT rc EQUAL 1 OR NOT err STREQUAL "tkz: skipped special file \"${WORK}/modes/private/pipe\"\n"
     OR EXISTS ${WORK}/modes_copy/private/pipe OR NOT EXISTS ${WORK}/modes_copy/private/deep/f.txt)
    message(FATAL_ERROR "a tree with a pipe gave ${rc}: ${err}")
  endif()
endif()

# One bar for a whole tree: two files of the same size, so a bar per file
# would show the first one at 100%.
find_program(SCRIPT script)
if(SCRIPT)
  file(MAKE_DIRECTORY ${WORK}/pair)
  execute_process(COMMAND head -c 400000 /dev/urandom OUTPUT_FILE ${WORK}/pair/a.bin)
  execute_process(COMMAND head -c 400000 /dev/urandom OUTPUT_FILE ${WORK}/pair/b.bin)
  execute_process(COMMAND ${SCRIPT} -qec "'${TKZ}' copy '${WORK}/pair' '${WORK}/pair_copy'" /dev/null
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out)
  if(NOT rc EQUAL 0 OR out MATCHES "100%  1 file" OR NOT out MATCHES "100%  2 files  b.bin")
    message(FATAL_ERROR "the bar of a tree copy: ${rc}: ${out}")
  endif()
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
