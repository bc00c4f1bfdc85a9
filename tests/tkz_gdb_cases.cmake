# The table runner of the "tkz gdb" tests; the caller sets TKZ, WORK and DB
# (and DATA where the cases read test data).
# Each case: "STATUS|ARGS|REGEX": the command "tkz gdb ARGS" (separated by
# ",", <DB>, <WORK> and <DATA> replaced) must exit with STATUS and its standard output
# followed by its standard error must match REGEX. The cases run in order on
# one database.
function(run_cases)
  foreach(case IN LISTS ARGN)
    string(REPLACE "<DB>" "${DB}" case "${case}")
    string(REPLACE "<WORK>" "${WORK}" case "${case}")
    string(REPLACE "<DATA>" "${DATA}" case "${case}")
    string(FIND "${case}" "|" a)
    string(SUBSTRING "${case}" 0 ${a} status)
    math(EXPR a "${a} + 1")
    string(SUBSTRING "${case}" ${a} -1 rest)
    string(FIND "${rest}" "|" b)
    string(SUBSTRING "${rest}" 0 ${b} args)
    string(REPLACE "," ";" args "${args}")
    math(EXPR b "${b} + 1")
    string(SUBSTRING "${rest}" ${b} -1 regex)
    execute_process(COMMAND ${TKZ} gdb ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
    if(NOT rc EQUAL status OR NOT "${out}${err}" MATCHES "${regex}")
      message(FATAL_ERROR "gdb ${args}: status ${rc} (expected ${status}), output:\n${out}${err}\n"
                          "expected to match: ${regex}")
    endif()
    # A failure says why on standard error, after "tkz: ".
    if(status EQUAL 1 AND NOT err MATCHES "^tkz: gdb " AND NOT err STREQUAL "")
      message(FATAL_ERROR "gdb ${args}: message without \"tkz: gdb \": ${err}")
    endif()
  endforeach()
endfunction()
