# tkz-mapviewer as a program: usage errors (2), files it cannot show (1, a
# message naming the file), and the headless picture of each kind of file
# (0): a blank map's calibration, an atlas of two of them, and a geographic
# database imported from the real extract. Without --screenshot it needs a
# display.
cmake_policy(SET CMP0007 NEW)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/maps)

function(tkz args)
  execute_process(COMMAND ${TKZ} ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "tkz ${args} gave ${rc}:\n${out}${err}")
  endif()
endfunction()
tkz("map;blank;${WORK}/maps/iberia;--lat;36;44;--lon;-10;4;--size;700x400")
tkz("map;blank;${WORK}/maps/europe;--lat;35;60;--lon;-10;30;--size;800x500;--step;5")
tkz("gdb;create;${WORK}/world")
tkz("gdb;import;${WORK}/world;${DATA}/geo/countries-sample.geojson")
tkz("gdb;import;${WORK}/world;${DATA}/geo/cities-sample.geojson")
file(WRITE ${WORK}/two.atlas "# tkz atlas\n\n# the coarser first\nmaps/europe.xml\nmaps/iberia.xml\n")
file(WRITE ${WORK}/empty.atlas "# tkz atlas\n# nothing listed\n")
file(WRITE ${WORK}/broken.atlas "# tkz atlas\nmaps/missing.xml\n")
file(WRITE ${WORK}/notes.txt "# tkz atlas? no: a note\nmaps/iberia.xml\n")
file(WRITE ${WORK}/nomap.xml "<?xml version=\"1.0\"?>\n<geomap id=\"x\">\n<calquads>\n")
file(WRITE ${WORK}/orphan.xml "")
file(READ ${WORK}/maps/iberia.xml cal)
string(REPLACE "iberia.bmp" "gone.bmp" cal "${cal}")
file(WRITE ${WORK}/orphan.xml "${cal}")

set(V ${VIEWER})
set(S --screenshot)
# args | status | pattern | picture written (or -)
set(cases
  "--help|0|^usage: tkz-mapviewer \\[options\\] FILE|-"
  "|2|tkz-mapviewer: no FILE given|-"
  "--frobnicate,x|2|tkz-mapviewer: unknown option --frobnicate|-"
  "--size,12|2|--size must be WxH|-"
  "--size|2|--size must be WxH|-"
  "a,b|2|only one FILE|-"
  "${S},${WORK}/x.png,${WORK}/nothere.xml|1|^tkz-mapviewer: cannot open \"[^\"]*nothere.xml\": no such file|-"
  "${S},${WORK}/x.png,${WORK}/notes.txt|1|^tkz-mapviewer: \"[^\"]*notes.txt\" is not a calibration, atlas or geographic database|-"
  "${S},${WORK}/x.png,${WORK}/nomap.xml|1|nomap.xml\" is not a calibration|-"
  "${S},${WORK}/x.png,${WORK}/orphan.xml|1|cannot find the map image \"[^\"]*gone.bmp\" of \"[^\"]*orphan.xml\"|-"
  "${S},${WORK}/x.png,${WORK}/empty.atlas|1|empty.atlas\" lists no maps|-"
  "${S},${WORK}/x.png,${WORK}/broken.atlas|1|broken.atlas\": cannot read the calibration \"[^\"]*missing.xml\"|-"
  "${S},${WORK}/x.png,--id,nosuch,${WORK}/maps/iberia.xml|1|iberia.xml\" has no calibration \"nosuch\"|-"
  "${S},${WORK}/no/such/dir/x.png,${WORK}/maps/iberia.xml|1|^tkz-mapviewer: [^\n]*no/such/dir/x.png|-"
  "${S},${WORK}/cal.png,${WORK}/maps/iberia.xml|0|^$|cal.png"
  "${S},${WORK}/cal_id.png,--id,TKZ_geomap_caldata,--size,640x480,${WORK}/maps/iberia.xml|0|^$|cal_id.png"
  "${S},${WORK}/atlas.png,${WORK}/two.atlas|0|^$|atlas.png"
  "${S},${WORK}/db.png,${WORK}/world|0|^$|db.png"
  "${S},${WORK}/db_file.png,${WORK}/world.tkzgi3|0|^$|db_file.png"
)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 args)
  list(GET parts 1 status)
  list(GET parts 2 pattern)
  list(GET parts 3 picture)
  string(REPLACE "," ";" args "${args}")
  execute_process(COMMAND ${V} ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  # The sanitizer's report of suppressed leaks is not the program's output.
  string(REGEX REPLACE "-+\nSuppressions used:.*" "" err "${err}")
  if(NOT rc EQUAL ${status} OR NOT "${out}${err}" MATCHES "${pattern}")
    message(FATAL_ERROR "tkz-mapviewer ${args} gave ${rc}:\n${out}${err}\nexpected ${status}, ${pattern}")
  endif()
  if(NOT picture STREQUAL "-" AND NOT EXISTS ${WORK}/${picture})
    message(FATAL_ERROR "tkz-mapviewer ${args} wrote no ${picture}")
  endif()
endforeach()

# Without --screenshot the program needs an X display.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY ${V} ${WORK}/maps/iberia.xml
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "^tkz-mapviewer: cannot open the X display \\(set DISPLAY\\)")
  message(FATAL_ERROR "without a display: ${rc}\n${err}")
endif()
