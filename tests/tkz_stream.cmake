# tkz hash reads standard input as it comes: hashing 384 MiB through a pipe
# keeps the peak resident size (ru_maxrss, through TIME) below half the
# input, sanitizer builds included, and gives the checksum sha1sum gives.
cmake_minimum_required(VERSION 3.25)
set(size 402653184)
set(bound_kib 196608)
execute_process(COMMAND head -c ${size} /dev/zero
                COMMAND ${TIME} -f "maxrss_kib=%M" ${TKZ} hash sha1 -
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
execute_process(COMMAND head -c ${size} /dev/zero COMMAND sha1sum OUTPUT_VARIABLE ref)
string(SUBSTRING "${ref}" 0 40 ref)
string(TOUPPER "${ref}" ref)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "${ref}  -\n" OR NOT err MATCHES "maxrss_kib=([0-9]+)")
  message(FATAL_ERROR "tkz hash sha1 - gave ${rc}: [${out}] [${err}], expected ${ref}")
endif()
set(rss ${CMAKE_MATCH_1})
message(STATUS "peak resident size hashing ${size} bytes from a pipe: ${rss} KiB")
if(rss GREATER bound_kib)
  message(FATAL_ERROR "peak resident size ${rss} KiB is above ${bound_kib} KiB")
endif()
