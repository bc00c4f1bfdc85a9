# tkz hash reads standard input as it comes: hashing 384 MiB through a pipe
# raises the peak resident size (ru_maxrss, through TIME) by less than 64 MiB
# over what the program takes to start ("tkz --version": sanitizer builds
# map much at start, and more as the code grows), and gives the checksum
# sha1sum gives.
cmake_minimum_required(VERSION 3.25)
set(size 402653184)
set(bound_kib 65536)
execute_process(COMMAND ${TIME} -f "maxrss_kib=%M" ${TKZ} --version RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT err MATCHES "maxrss_kib=([0-9]+)")
  message(FATAL_ERROR "tkz --version gave ${rc}: [${out}] [${err}]")
endif()
set(base ${CMAKE_MATCH_1})
execute_process(COMMAND head -c ${size} /dev/zero
                COMMAND ${TIME} -f "maxrss_kib=%M" ${TKZ} hash sha1 -
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
execute_process(COMMAND head -c ${size} /dev/zero COMMAND sha1sum OUTPUT_VARIABLE ref)
string(SUBSTRING "${ref}" 0 40 ref)
string(TOUPPER "${ref}" ref)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "${ref}  -\n" OR NOT err MATCHES "maxrss_kib=([0-9]+)")
  message(FATAL_ERROR "tkz hash sha1 - gave ${rc}: [${out}] [${err}], expected ${ref}")
endif()
math(EXPR rss "${CMAKE_MATCH_1} - ${base}")
message(STATUS "peak resident size hashing ${size} bytes from a pipe: ${rss} KiB above the start")
if(rss GREATER bound_kib)
  message(FATAL_ERROR "hashing raised the peak resident size by ${rss} KiB, above ${bound_kib} KiB")
endif()
