# run(args status pattern): runs "tkz mol ARGS" and fails unless it exits with
# status and its output and errors match pattern; OUT gets the output.
function(run args status pattern)
  execute_process(COMMAND ${TKZ} mol ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL ${status} OR NOT "${out}${err}" MATCHES "${pattern}")
    message(FATAL_ERROR "tkz mol ${args} gave ${rc}:\n${out}${err}\nexpected ${status}, ${pattern}")
  endif()
  set(OUT "${out}" PARENT_SCOPE)
endfunction()
