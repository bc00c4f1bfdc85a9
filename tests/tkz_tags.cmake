# tkz tags on standard input and on files in either encoding: UTF-8 (a
# byte-order mark, a declaration naming it, or valid UTF-8 text) is read as
# Windows-1252 and written back as UTF-8 JSON; a character that Windows-1252
# lacks stops the command with status 1, naming the file and the line.
file(REMOVE_RECURSE ${WORK})
cmake_minimum_required(VERSION 3.25)
file(MAKE_DIRECTORY ${WORK})
string(ASCII 239 187 191 bom)
string(ASCII 233 e_acute_1252)  # é in Windows-1252
set(expect_a "{\"attributes\":\"x=\\\"é\\\"\",\"contents\":\"Grüße\",\"index\":0,\"name\":\"a\"}\n")
# name | file content | status | standard output | standard error
set(cases
  "utf8-declared|<?xml version='1.0' encoding=\"UTF-8\"?>\n<a x=\"é\">Grüße</a>\n|0|${expect_a}|"
  "bom|${bom}<a x=\"é\">Grüße</a>|0|${expect_a}|"
  "utf8-detected|  <a x=\"é\">Grüße</a>|0|${expect_a}|"
  "cp1252|<a x=\"${e_acute_1252}\">t</a>|0|{\"attributes\":\"x=\\\"é\\\"\",\"contents\":\"t\",\"index\":0,\"name\":\"a\"}\n|"
  # A declared single-byte code page wins over text that happens to be UTF-8.
  "cp1252-declared|<?xml version=\"1.0\" encoding=\"windows-1252\"?><a x=\"é\">t</a>|0|{\"attributes\":\"x=\\\"Ã©\\\"\",\"contents\":\"t\",\"index\":0,\"name\":\"a\"}\n|"
  # Tags before the character are written; the one holding it is not.
  "unrepresentable|<b>1</b>\n<a>中</a>\n|1|{\"attributes\":\"\",\"contents\":\"1\",\"index\":0,\"name\":\"b\"}\n|tkz: IN: line 2: character U+4E2D cannot be represented in Windows-1252\n"
  "empty||0||")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 1 content)
  list(GET fields 2 expect_rc)
  list(GET fields 3 expect_out)
  list(GET fields 4 expect_err)
  file(WRITE ${WORK}/${name}.xml "${content}")
  # The same result from the file and from standard input ("-").
  foreach(source file stdin)
    if(source STREQUAL "file")
      execute_process(COMMAND ${TKZ} tags ${WORK}/${name}.xml RESULT_VARIABLE rc
                      OUTPUT_VARIABLE out ERROR_VARIABLE err)
      string(REPLACE "IN" "${WORK}/${name}.xml" want_err "${expect_err}")
    else()
      execute_process(COMMAND ${TKZ} tags - INPUT_FILE ${WORK}/${name}.xml RESULT_VARIABLE rc
                      OUTPUT_VARIABLE out ERROR_VARIABLE err)
      string(REPLACE "IN" "standard input" want_err "${expect_err}")
    endif()
    if(NOT rc STREQUAL "${expect_rc}" OR NOT out STREQUAL "${expect_out}"
       OR NOT err STREQUAL "${want_err}")
      message(FATAL_ERROR "tkz tags, ${name} from ${source}: status ${rc} (expected ${expect_rc})\n"
                          "stdout [${out}] expected [${expect_out}]\n"
                          "stderr [${err}] expected [${want_err}]")
    endif()
  endforeach()
endforeach()

# The library's sample through a pipe: the scanner steps back over the start
# of the data when it holds no declaration, which a pipe allows.
execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${DATA}/streams/sample.xml
                COMMAND ${TKZ} tags - posxy RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "{\"attributes\":\"x=1 y=2\",\"contents\":\"\",\"index\":0,\"name\":\"posxy\"}\n")
  message(FATAL_ERROR "tkz tags - posxy through a pipe gave ${rc}: [${out}]")
endif()
