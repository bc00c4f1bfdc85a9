# tkz: every command group is registered, listed by --help in its order, and
# runs its own action (a command without one would print the help and exit 0).
# "tkz" alone prints the same help on standard error as a usage error.
execute_process(COMMAND ${TKZ} --help RESULT_VARIABLE rc OUTPUT_VARIABLE help ERROR_VARIABLE err)
execute_process(COMMAND ${TKZ} RESULT_VARIABLE bare_rc OUTPUT_VARIABLE bare_out ERROR_VARIABLE bare)
if(NOT rc EQUAL 0 OR NOT bare_rc EQUAL 2 OR NOT bare STREQUAL help OR NOT bare_out STREQUAL "")
  message(FATAL_ERROR "tkz --help gave ${rc}, tkz alone ${bare_rc}:\n${help}${err}\n---\n${bare}")
endif()
set(groups "")
foreach(name demo image marks tags regex hash encode decode cpu geo gdb map landmarks color copy element cas formula mol)
  string(APPEND groups "\n  ${name} +[A-Z][^\n]*")
endforeach()
if(NOT help MATCHES "Subcommands:${groups}\n")
  message(FATAL_ERROR "the command groups are not all listed, in order:\n${help}")
endif()

# marks: the one command no other test runs.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${TKZ} marks ${WORK}/marks.png RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^Marks 0 to 255 drawn to .*marks.png \\(577 x 605\\)\n$"
   OR NOT EXISTS ${WORK}/marks.png)
  message(FATAL_ERROR "tkz marks gave ${rc}:\n${out}${err}")
endif()
# A group whose subcommand is missing is a usage error, not the help.
execute_process(COMMAND ${TKZ} image RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "subcommand is required")
  message(FATAL_ERROR "tkz image gave ${rc}:\n${out}${err}")
endif()
