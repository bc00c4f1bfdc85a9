# The committed named-colour tables are what scripts/gen_x11_colors.py makes
# from the installed rgb.txt, and the script refuses an rgb.txt that lacks a
# name it has no explicit row for.
set(rgb /usr/share/X11/rgb.txt)
if(NOT EXISTS ${rgb})
  message(FATAL_ERROR "rgb.txt not installed (package x11-common): skipped")
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${PYTHON} ${SOURCE}/scripts/gen_x11_colors.py --out ${WORK}/names.cpp
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the generator failed: ${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/names.cpp
                        ${SOURCE}/core/colour/tkzcolors_names.cpp RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "core/colour/tkzcolors_names.cpp differs from the generator's output")
endif()

file(STRINGS ${rgb} lines)
set(reduced "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "[Gg]oldenrod$")
    string(APPEND reduced "${line}\n")
  endif()
endforeach()
file(WRITE ${WORK}/rgb.txt "${reduced}")
execute_process(COMMAND ${PYTHON} ${SOURCE}/scripts/gen_x11_colors.py --rgb ${WORK}/rgb.txt
                        --out ${WORK}/reduced.cpp RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "GoldenRod" OR EXISTS ${WORK}/reduced.cpp)
  message(FATAL_ERROR "a name missing from rgb.txt was not reported: ${rc} ${err}")
endif()
