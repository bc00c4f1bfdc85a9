# run(args status pattern): runs "tkz RUN_GROUP ARGS" (RUN_GROUP is "mol"
# unless the script sets it; empty for none) and fails unless it exits with
# status and its output and errors match pattern; OUT gets the output. With
# RUN_INPUT set, standard input comes from that file.
if(NOT DEFINED RUN_GROUP)
  set(RUN_GROUP mol)
endif()
function(run args status pattern)
  set(input "")
  if(DEFINED RUN_INPUT)
    set(input INPUT_FILE ${RUN_INPUT})
  endif()
  execute_process(COMMAND ${TKZ} ${RUN_GROUP} ${args} ${input} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL ${status} OR NOT "${out}${err}" MATCHES "${pattern}")
    message(FATAL_ERROR "tkz ${RUN_GROUP} ${args} gave ${rc}:\n${out}${err}\nexpected ${status}, ${pattern}")
  endif()
  set(OUT "${out}" PARENT_SCOPE)
endfunction()

# run_cases(case...): each case is "ARG,ARG,...|status|pattern" for run().
function(run_cases)
  foreach(case IN LISTS ARGN)
    string(REPLACE "|" ";" parts "${case}")
    list(GET parts 0 args)
    list(GET parts 1 status)
    list(GET parts 2 pattern)
    string(REPLACE "," ";" args "${args}")
    run("${args}" ${status} "${pattern}")
  endforeach()
endfunction()
