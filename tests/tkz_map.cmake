# tkz map and tkz landmarks: a map image calibrated from reference points of
# an equirectangular grid (lon = 5 + x/50, lat = 49 - y/200), conversions
# both ways on the command line and from standard input, the description of
# the calibration, usage errors and failures; landmarks imported from the
# towns of a geographic database and listed back.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(RUN_GROUP "")
include(${CMAKE_CURRENT_LIST_DIR}/tkz_run.cmake)

# Any picture will do as the map image: the catalogue of marks, 577 x 605.
run("marks;${WORK}/map.png" 0 "")
set(points "# x y lat lon\n")
foreach(row 0 1 2)
  foreach(col 0 1 2)
    math(EXPR x "${col} * 250")
    math(EXPR y "${row} * 300")
    math(EXPR lon "5 + ${col} * 5")
    math(EXPR lat10 "490 - ${row} * 15")
    string(REGEX REPLACE "(.)$" ".\\1" lat "${lat10}")
    string(APPEND points "${x} ${y} ${lat} ${lon}\n")
  endforeach()
endforeach()
file(WRITE ${WORK}/points.txt "${points}")
file(WRITE ${WORK}/bad_points.txt "0 0 49 5\n\n10 twenty 48 6\n")
file(WRITE ${WORK}/batch.txt "100 200\nabc 1\n1e400 3\n\n")
file(WRITE ${WORK}/geo_batch.txt "48 7\n91 7\n")

set(CAL ${WORK}/alps.xml)
set(num "-?[0-9]+\\.[0-9]+")
# args | status | pattern, run in order (calibrate first).
set(cases
  "map,calibrate,${WORK}/map.png,${WORK}/points.txt,${CAL},--model,equirect,--id,alps,--caption,Alps|0|^{\"id\":\"alps\",\"model\":\"equirect\",\"map\":\"[^\"]*map.png\",\"caption\":\"Alps\",\"image\":{\"width\":577,\"height\":605},\"points\":9,\"corners\":{\"top_left\":{\"lat\":49.000000,\"lon\":5.000000},\"bottom_left\":{\"lat\":45.975000,\"lon\":5.000000},\"bottom_right\":{\"lat\":45.975000,\"lon\":16.540000},\"top_right\":{\"lat\":49.000000,\"lon\":16.540000}},\"resolution\":${num},\"quality\":{\"x\":${num},\"y\":${num}}}\n$"
  "map,pix2geo,${CAL},100,200|0|^{\"x\":100.0,\"y\":200.0,\"lat\":48.000000000,\"lon\":7.000000000,\"valid\":true}\n$"
  "map,pix2geo,${CAL},alps,-2.5,200|0|\"lat\":48.000000000,\"lon\":4.950000000,\"valid\":true"
  "map,geo2pix,${CAL},47.5,10|0|^{\"lat\":47.500000000,\"lon\":10.000000000,\"x\":250,\"y\":300,\"valid\":true}\n$"
  "map,geo2pix,${CAL},alps,46,15|0|\"x\":500,\"y\":600,\"valid\":true"
  "map,info,${CAL}|0|^{\"id\":\"\",\"model\":\"equirect\",[^\n]*\"image\":{\"width\":577,\"height\":605},\"points\":9,"
  "map,info,${CAL},alps|0|\"caption\":\"Alps\""
  # Failures (1) and usage errors (2).
  "map,pix2geo,${CAL},nowhere,1,2|1|^tkz: map pix2geo: no calibration with id \"nowhere\" in \"[^\"]*alps.xml\"\n$"
  "map,pix2geo,${WORK}/missing.xml,1,2|1|^tkz: map pix2geo: cannot open \"[^\"]*missing.xml\": no such file\n$"
  "map,pix2geo,${CAL},x,2|1|^tkz: map pix2geo: x is not a finite number: x\n$"
  "map,geo2pix,${CAL},95,2|1|latitude outside -90..90: 95"
  "map,pix2geo,${CAL},1|2|^tkz map pix2geo: expected CAL \\[ID\\] X Y, or CAL \\[ID\\] - "
  "map,info|2|ARGS is required"
  "map,calibrate,${WORK}/map.png,${WORK}/points.txt,${WORK}/x.xml,--model,mercator|2|unknown model \"mercator\""
  "map,calibrate,${WORK}/map.png,${WORK}/points.txt,${WORK}/x.xml,--model,utm|2|needs --zone 1..60"
  "map,calibrate,${WORK}/map.png,${WORK}/bad_points.txt,${WORK}/x.xml,--model,equirect|1|bad_points.txt: line 3: y is not an integer: twenty"
  "map,calibrate,${WORK}/nothing.png,${WORK}/points.txt,${WORK}/x.xml,--model,equirect|1|cannot open image"
)
run_cases(${cases})
if(EXISTS ${WORK}/x.xml)
  message(FATAL_ERROR "a failed calibrate wrote its output")
endif()

# Standard input: one JSON line per line, errors in place, status 1.
set(RUN_INPUT ${WORK}/batch.txt)
run("map;pix2geo;${CAL};alps;-" 1
    "^{\"x\":100.0,\"y\":200.0,\"lat\":48.000000000,\"lon\":7.000000000,\"valid\":true}\n{\"error\":\"x is not a finite number: abc\"}\n{\"error\":\"x is not a finite number: 1e400\"}\n{\"error\":\"expected X Y\"}\n$")
set(RUN_INPUT ${WORK}/geo_batch.txt)
run("map;geo2pix;${CAL};-" 1 "^{[^\n]*\"x\":100,\"y\":200,\"valid\":true}\n{\"error\":\"latitude outside -90..90: 91\"}\n$")
unset(RUN_INPUT)

# Landmarks: the towns of the sample cities, written and listed back.
set(DB ${WORK}/world)
run("gdb;import;${DB};${DATA}/geo/cities-sample.geojson" 0 "\"added\":{\"Town\":([0-9]+)}")
string(REGEX MATCH "\"added\":{\"Town\":([0-9]+)}" _ "${OUT}")
set(ntowns ${CMAKE_MATCH_1})
run("landmarks;import-gdb;${DB};${WORK}/towns.xml;--id;towns;--class;7" 0
    "^{\"file\":\"[^\"]*towns.xml\",\"landmarks\":${ntowns}}\n$")
run("landmarks;${WORK}/towns.xml;towns" 0 "^{\"n\":1,\"lat\":${num},\"lon\":${num},")
string(REGEX MATCHALL "\"class\":7," listed "${OUT}")
list(LENGTH listed nlisted)
if(NOT nlisted EQUAL ntowns)
  message(FATAL_ERROR "listed ${nlisted} landmarks of class 7, imported ${ntowns}:\n${OUT}")
endif()
set(RUN_INPUT ${WORK}/towns.xml)
run("landmarks;-" 0 "^{\"n\":1,")
unset(RUN_INPUT)
run("landmarks;${WORK}/towns.xml;other" 1 "^tkz: landmarks: no landmarks with id \"other\" in ")
run("landmarks;${WORK}/none.xml" 1 "cannot open \"[^\"]*none.xml\": no such file")
run("landmarks;import-gdb;${WORK}/nodb;${WORK}/t.xml" 1 "^tkz: landmarks import-gdb: no database")
run("landmarks;import-gdb;${DB};${WORK}/t.xml;--class;300" 2 "--class must be 0..255")

# Blank maps and renders: the world with the database's countries and towns.
run("map;blank;${WORK}/World;--lat;-60;85;--lon;-180;180;--step;30;--size;900x500" 0
    "^{\"id\":\"TKZ_geomap_caldata\",\"model\":\"biquadraticpn\",[^\n]*\"image\":{\"width\":900,\"height\":500},\"points\":9,")
foreach(f World.bmp World.xml)
  if(NOT EXISTS ${WORK}/${f})
    message(FATAL_ERROR "map blank wrote no ${f}")
  endif()
endforeach()
run("map;render;${WORK}/World.xml;${WORK}/world.png;--size;450x250;--grat;lines;--gdb;${DB};--landmarks;${WORK}/towns.xml" 0
    "^{\"file\":\"[^\"]*world.png\",\"width\":450,\"height\":250,\"magnification\":0.5,\"left\":0,\"top\":0,\"landmarks\":[0-9]+}\n")
string(REGEX MATCH "\"landmarks\":([0-9]+)" _ "${OUT}")
math(EXPR both "2 * ${ntowns}")  # the file's towns and the database's
if(NOT CMAKE_MATCH_1 EQUAL both)
  message(FATAL_ERROR "render drew ${CMAKE_MATCH_1} landmarks, expected ${both}")
endif()
run("map;render;${WORK}/World.xml;TKZ_geomap_caldata;${WORK}/zoom.png;--mag;2;--center;0;8;--grat;points" 0
    "\"magnification\":2.0,\"left\":[1-9][0-9]*,\"top\":[1-9][0-9]*")
run("map;render;${CAL};${WORK}/alps.png;--size;300x200;--grat;utm" 0 "\"width\":300,\"height\":200")
file(REMOVE ${WORK}/map.png)
run("map;render;${CAL};${WORK}/nomap.png" 1 "^tkz: map render: cannot find the map image")
run("map;render;${WORK}/World.xml;${WORK}/x.png;--size;0x5" 2 "--size: width and height must be")
run("map;render;${WORK}/World.xml;${WORK}/x.png;--grat;dots" 2 "--grat must be points, lines or utm")
run("map;blank;${WORK}/Flat;--lat;10;10;--lon;0;5" 2 "the bounds must span an area")
run("map;blank;${WORK}/Far;--lat;0;95;--lon;0;5" 2 "latitudes must be -90..90")
