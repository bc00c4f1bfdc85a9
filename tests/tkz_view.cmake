# tkz view: the file's content picks the viewer (a calibration file, an atlas
# definition and a geographic database go to the map viewer, molfiles and SD
# files to the molecule viewer), the options pass through, and files that
# are neither are refused. With VIEWERS set the viewers are built: each case
# then writes the viewer's first picture headless (--screenshot), checked
# for its size.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/folder)
set(RUN_GROUP "")
include(${CMAKE_CURRENT_LIST_DIR}/tkz_run.cmake)
set(ENV{DISPLAY} "")

run("map;blank;${WORK}/alps;--lat;45;48;--lon;5;11;--size;600x300" 0 "")
file(WRITE ${WORK}/alps.atlas "# tkz atlas\n\nalps.xml\n")
run("gdb;import;${WORK}/world;${DATA}/geo/countries-110m.topojson" 0 "")
file(COPY ${DATA}/chem/demo.sdf DESTINATION ${WORK})
# A molfile with CR LF line ends and an empty name line.
file(READ ${DATA}/chem/demo.sdf sd)
string(FIND "${sd}" "$$$$" end)
string(SUBSTRING "${sd}" 0 ${end} mol)
string(FIND "${mol}" "\n" nl)
string(SUBSTRING "${mol}" ${nl} -1 mol)
string(REPLACE "\n" "\r\n" mol "${mol}")
file(WRITE ${WORK}/first.mol "${mol}")
file(WRITE ${WORK}/notes.txt "line 1\nline 2\nline 3\nline 4 of plain text\n")
file(WRITE ${WORK}/world.tkzgdd "")  # damaged: the header is gone
file(COPY ${WORK}/world.tkzgds DESTINATION ${WORK}/folder)

# Refused files (1) and usage errors (2), whether or not the viewers exist.
set(cases
  "view,${WORK}/notes.txt|1|^tkz: view: \"[^\"]*notes.txt\" is not a map calibration file, an atlas definition, a geographic database, a molfile or an SD file\n$"
  "view,${WORK}/missing.sdf|1|^tkz: view: cannot open \"[^\"]*missing.sdf\": no such file\n$"
  "view,${WORK}/folder|1|is a folder"
  "view,${WORK}/alps.xml,--query,${WORK}/first.mol|2|^tkz view: --query applies to molfiles and SD files\n$"
  "view,${WORK}/demo.sdf,--id,x|2|^tkz view: --id and --landmarks apply to maps\n$"
  "view|2|FILE is required"
  "view,-|2|^tkz view: FILE must be a file, not standard input"
)
run_cases(${cases})

if(NOT VIEWERS)
  return()
endif()
run("gdb;import;${WORK}/folder/world;${DATA}/geo/countries-110m.topojson" 0 "")
# The width and height of a PNG file, from its header.
function(png_size file out)
  file(READ ${file} head HEX LIMIT 24)
  string(SUBSTRING "${head}" 32 8 w)
  string(SUBSTRING "${head}" 40 8 h)
  math(EXPR w "0x${w}")
  math(EXPR h "0x${h}")
  set(${out} "${w}x${h}" PARENT_SCOPE)
endfunction()
set(shows
  "alps.xml|${WORK}/alps.xml,--size,400x300"
  "atlas|${WORK}/alps.atlas,--size,400x300"
  "database|${WORK}/folder/world.tkzgi3,--size,400x300"
  "sdf|${WORK}/demo.sdf,--size,400x300"
  "molfile|${WORK}/first.mol,--size,400x300"
  "query|${WORK}/demo.sdf,--query,${WORK}/first.mol,--size,400x300"
)
foreach(show IN LISTS shows)
  string(REPLACE "|" ";" parts "${show}")
  list(GET parts 0 name)
  list(GET parts 1 args)
  string(REPLACE "," ";" args "${args}")
  file(REMOVE ${WORK}/${name}.png)
  run("view;${args};--screenshot;${WORK}/${name}.png" 0 "")
  if(NOT EXISTS ${WORK}/${name}.png)
    message(FATAL_ERROR "tkz view ${args} wrote no picture")
  endif()
  png_size(${WORK}/${name}.png size)
  if(NOT size STREQUAL "400x300")
    message(FATAL_ERROR "tkz view ${args}: the picture is ${size}, not 400x300")
  endif()
endforeach()
# The viewers name what is wrong: a damaged database, then (for a sound file)
# a missing display when no --screenshot is asked for.
run("view;${WORK}/world;--screenshot;${WORK}/x.png" 1
    "^tkz-mapviewer: cannot open \"[^\"]*world\": [^\n]*header of \"[^\"]*world.tkzgdd\" is shorter than 260 bytes")
run("view;${WORK}/world" 1 "world.tkzgdd")
run("view;${WORK}/demo.sdf" 1 "cannot open the X display")
