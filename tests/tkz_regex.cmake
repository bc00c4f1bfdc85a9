# Runs "tkz regex" for the CTest cases (cmake -P): matching lines with their
# positions, -i, standard input, exit status 1 when nothing matched and 2 with
# the error's text for a wrong expression or a missing file.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/in.txt "color\r\nno digits here\nab12c\nthe COLOUR\n")

function(run expect_rc expect_out expect_err)
  execute_process(COMMAND ${TKZ} regex ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc STREQUAL "${expect_rc}" OR NOT out STREQUAL "${expect_out}"
     OR NOT err STREQUAL "${expect_err}")
    message(FATAL_ERROR "tkz regex ${ARGN}: status ${rc} (expected ${expect_rc})\n"
                        "stdout [${out}] expected [${expect_out}]\n"
                        "stderr [${err}] expected [${expect_err}]")
  endif()
endfunction()

run(0 "1:1:5:color\n" "" "colou?r" ${WORK}/in.txt)
run(0 "1:1:5:color\n4:5:10:the COLOUR\n" "" -i "COLOU?R" ${WORK}/in.txt)
run(0 "3:3:4:ab12c\n" "" "[0-9]+" ${WORK}/in.txt)
run(1 "" "" "^x" ${WORK}/in.txt)
run(2 "" "tkz: reg.exp. must not start with $, *, ?, or +\n" "*a" ${WORK}/in.txt)
run(2 "" "tkz: mismatch of set brackets\n" "a]b" ${WORK}/in.txt)
run(2 "" "tkz: cannot open ${WORK}/missing.txt\n" "a" ${WORK}/missing.txt)
execute_process(COMMAND ${TKZ} regex "[0-9]+c$" INPUT_FILE ${WORK}/in.txt RESULT_VARIABLE rc
                OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "3:3:5:ab12c\n")
  message(FATAL_ERROR "tkz regex from standard input: status ${rc}, output [${out}]")
endif()
