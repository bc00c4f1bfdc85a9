# Runs "tkz regex" for the CTest cases (cmake -P): matching lines with their
# positions, -i, standard input, exit status 1 when nothing matched and 2 with
# the error's text for a wrong expression or a missing file; UTF-8 and
# Windows-1252 input and patterns; a failed output.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/in.txt "color\r\nno digits here\nab12c\nthe COLOUR\n")
string(ASCII 239 187 191 bom)
string(ASCII 233 e1252)  # é in Windows-1252
file(WRITE ${WORK}/utf8.txt "plain\nnaïve café\nx中\n")
file(WRITE ${WORK}/bom.txt "${bom}café\n")
file(WRITE ${WORK}/cp1252.txt "caf${e1252}\n")
file(WRITE ${WORK}/utf8ok.txt "plain\nnaïve café\n")
# Text that is not valid UTF-8 (here an encoded surrogate, or an overlong
# "/") is Windows-1252 throughout: "é" in it is the two characters "Ã©".
string(ASCII 237 160 128 surrogate)
string(ASCII 192 175 overlong)
file(WRITE ${WORK}/surrogate.txt "café ${surrogate}\n")
file(WRITE ${WORK}/overlong.txt "café ${overlong}\n")

# Runs tkz regex with the arguments after the expected status, output and
# error text; "<" FILE among them feeds FILE to standard input.
function(run expect_rc expect_out expect_err)
  set(args ${ARGN})
  set(input)
  list(FIND args "<" at)
  if(at GREATER -1)
    math(EXPR file_at "${at} + 1")
    list(GET args ${file_at} file)
    list(REMOVE_AT args ${at} ${file_at})
    set(input INPUT_FILE ${file})
  endif()
  execute_process(COMMAND ${TKZ} regex ${args} ${input} RESULT_VARIABLE rc OUTPUT_VARIABLE out
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
run(2 "" "tkz: cannot read ${WORK}/missing.txt: No such file or directory\n" "a" ${WORK}/missing.txt)
# No file, or "-", is standard input.
run(0 "3:3:5:ab12c\n" "" "[0-9]+c$" < ${WORK}/in.txt)
run(0 "4:1:3:the COLOUR\n" "" "^the" - < ${WORK}/in.txt)
# Encodings: positions count characters, lines come back in the input's
# encoding, the pattern is read like the input.
run(0 "2:10:10:naïve café\n" "" "é$" ${WORK}/utf8ok.txt)
run(0 "2:1:5:naïve café\n" "" -i "^NAÏVE" ${WORK}/utf8ok.txt)
run(0 "2:9:10:naïve café\n" "" "[a-z]é" ${WORK}/utf8ok.txt)
run(0 "1:1:4:café\n" "" "^caf.$" ${WORK}/bom.txt)
run(0 "1:4:4:caf${e1252}\n" "" "é" ${WORK}/cp1252.txt)
run(0 "1:4:4:caf${e1252}\n" "" "\\#e9" ${WORK}/cp1252.txt)
run(2 "2:7:9:naïve café\n"
  "tkz: ${WORK}/utf8.txt: line 3: character U+4E2D cannot be represented in Windows-1252\n"
  "caf" ${WORK}/utf8.txt)
run(2 "" "tkz: pattern: character U+4E2D cannot be represented in Windows-1252\n" "中" ${WORK}/utf8ok.txt)
run(0 "1:4:5:café ${surrogate}\n" "" "Ã©" ${WORK}/surrogate.txt)
run(0 "1:4:5:café ${overlong}\n" "" "Ã©" ${WORK}/overlong.txt)
run(1 "" "" "é" ${WORK}/overlong.txt)

# --help states the expression language.
execute_process(COMMAND ${TKZ} regex --help RESULT_VARIABLE rc OUTPUT_VARIABLE help)
foreach(item "\\[abc\\] +a set" "\\* \\+ \\? " "\\\\#hh" "no alternation" "Errors \\(status 2\\)")
  if(NOT help MATCHES "${item}")
    message(FATAL_ERROR "tkz regex --help does not describe ${item}:\n${help}")
  endif()
endforeach()

# A failed output stops the command at once (status 2, like grep): 64 MiB of
# matching lines would take long to scan to the end.
if(EXISTS /dev/full)
  string(REPEAT "a matching line\n" 4096 block)
  file(WRITE ${WORK}/big.txt "")
  foreach(i RANGE 1 16)
    file(APPEND ${WORK}/big.txt "${block}")
  endforeach()
  execute_process(COMMAND ${TKZ} regex match ${WORK}/big.txt OUTPUT_FILE /dev/full
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 2)
    message(FATAL_ERROR "tkz regex into /dev/full gave ${rc}")
  endif()
endif()
