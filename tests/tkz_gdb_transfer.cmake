# tkz gdb import and export: the committed extract (GeoNames cities, Natural
# Earth countries as TopoJSON) imported with the counts the files hold, a
# window that must hold the sample's cities inside it, an export imported
# again into a second database giving the same records, standard input and
# output, skipped and refused features, refused documents (leaving no new
# database behind), a missing file, a database in use and a full device.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(DB ${WORK}/world)
set(cities ${DATA}/cities-sample.geojson)
set(countries ${DATA}/countries-110m.topojson)
include(${CMAKE_CURRENT_LIST_DIR}/tkz_gdb_cases.cmake)

# What the files hold: the cities, and the features of every object of the
# topology.
file(READ ${cities} text)
string(JSON ncities LENGTH "${text}" features)
file(READ ${countries} topo)
string(JSON nobjects LENGTH "${topo}" objects)
set(nfeatures 0)
math(EXPR last "${nobjects} - 1")
foreach(i RANGE ${last})
  string(JSON name MEMBER "${topo}" objects ${i})
  string(JSON type GET "${topo}" objects ${name} type)
  set(n 1)
  if(type STREQUAL "GeometryCollection")
    string(JSON n LENGTH "${topo}" objects ${name} geometries)
  endif()
  math(EXPR nfeatures "${nfeatures} + ${n}")
endforeach()
string(JSON ncountries LENGTH "${topo}" objects countries geometries)

# The sample's cities inside a window around the Alps.
set(window 45.5 48.5 5.5 16.5)
set(inside 0)
math(EXPR last "${ncities} - 1")
foreach(i RANGE ${last})
  string(JSON lon GET "${text}" features ${i} geometry coordinates 0)
  string(JSON lat GET "${text}" features ${i} geometry coordinates 1)
  if(lat GREATER_EQUAL 45.5 AND lat LESS_EQUAL 48.5 AND lon GREATER_EQUAL 5.5 AND lon LESS_EQUAL 16.5)
    math(EXPR inside "${inside} + 1")
  endif()
endforeach()
if(inside LESS 1)
  message(FATAL_ERROR "the sample has no city in the window: choose another")
endif()

set(counts "\"skipped\":0,\"reasons\":\\[\\],")
file(WRITE ${WORK}/mixed.geojson [=[{"type":"FeatureCollection","features":[
{"type":"Feature","geometry":{"type":"Point","coordinates":[10,95]},"properties":{"name":"Nowhere"}},
{"type":"Feature","geometry":{"type":"Point","coordinates":[16.37,48.21]},"properties":{"name":"Wien"}}]}]=])
file(WRITE ${WORK}/bad.json "{\"type\": \"FeatureCollection\", \"features\": [")
run_cases(
  "0|import,<DB>,<DATA>/cities-sample.geojson|^{\"database\":\"[^\"]*world\",\"file\":\"[^\"]*cities-sample.geojson\",\"format\":\"GeoJSON\",\"features\":${ncities},\"added\":{\"Town\":${ncities}},\"total_added\":${ncities},${counts}[^\n]*\"records\":${ncities}}\n$"
  "0|import,<DB>.tkzgds,<DATA>/countries-110m.topojson|^{[^\n]*\"format\":\"TopoJSON\",\"features\":${nfeatures},\"added\":{\"Border\":[0-9]+},[^\n]*${counts}"
  # Bad documents: status 1, the file named, nothing added.
  "1|import,<DB>,<WORK>/bad.json|^tkz: gdb import: [^\n]*bad.json: ImportGeoJSON: not JSON: [^\n]*\n$"
  "1|import,<DB>,<DATA>/countries-110m.topojson,--object,nations|^tkz: gdb import: [^\n]*countries-110m.topojson: ImportTopoJSON: no object \"nations\"\\.\n$"
  "1|import,<DB>,<DATA>/cities-sample.geojson,--object,countries|^tkz: gdb import: [^\n]*: --object applies to a TopoJSON Topology, not to GeoJSON\n$"
  "1|import,<DB>,<WORK>/missing.geojson|^tkz: gdb import: Cannot open file \"[^\"]*missing.geojson\""
  "1|import,<DB>,<WORK>/mixed.geojson,--strict|^tkz: gdb import: [^\n]*mixed.geojson: ImportGeoJSON: feature 0: latitude 95 out of range\\.\n$"
  "2|import,<DB>|FILE is required"
  "1|export,<WORK>/nothing,<WORK>/x.geojson|^tkz: gdb export: no database"
  # A known city in the window, and as many towns as the file holds there.
  "0|search,<DB>,bremgarten|\"name\":\"Bremgarten\",\"lat_low\":47\\.35109,[^\n]*\"lon_low\":8\\.34214,"
  "0|export,<DB>,<WORK>/world.geojson|^{\"database\":\"[^\"]*world\",\"file\":\"[^\"]*world.geojson\",\"features\":[0-9]+}\n$"
)
foreach(refused bad.json mixed.geojson)
  if(EXISTS ${WORK}/new.tkzgdd)
    message(FATAL_ERROR "a refused ${refused} left a new database behind")
  endif()
  execute_process(COMMAND ${TKZ} gdb import ${WORK}/new ${WORK}/${refused} --strict
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
endforeach()
file(GLOB left ${WORK}/new.*)
if(left)
  message(FATAL_ERROR "a refused import left ${left}")
endif()

execute_process(COMMAND ${TKZ} gdb query ${DB} ${window} RESULT_VARIABLE rc OUTPUT_VARIABLE out)
string(REGEX MATCHALL "\"kind\":\"Town\"" towns "${out}")
list(LENGTH towns ntowns)
if(NOT rc EQUAL 0 OR NOT ntowns EQUAL inside OR NOT out MATCHES "\"name\":\"Bremgarten\""
   OR NOT out MATCHES "\"kind\":\"Border\",\"name\":\"Switzerland\"")
  message(FATAL_ERROR "query ${window}: status ${rc}, ${ntowns} towns (${inside} expected):\n${out}")
endif()

# The export read again gives the same records (but for their date).
execute_process(COMMAND ${TKZ} gdb export ${DB} - RESULT_VARIABLE rc OUTPUT_VARIABLE piped)
file(READ ${WORK}/world.geojson exported)
string(JSON nexported LENGTH "${exported}" features)
execute_process(COMMAND ${TKZ} gdb list ${DB} OUTPUT_VARIABLE list1)
string(REGEX MATCHALL "\n" records "${list1}")
list(LENGTH records nrecords)
if(NOT rc EQUAL 0 OR NOT piped STREQUAL exported OR NOT nexported EQUAL nrecords)
  message(FATAL_ERROR "export: status ${rc}, ${nexported} features for ${nrecords} records")
endif()
run_cases(
  "0|import,<WORK>/again,<WORK>/world.geojson|^{[^\n]*\"features\":${nrecords},\"added\":{\"Border\":[0-9]+,\"Town\":${ncities}},\"total_added\":${nrecords},${counts}\"chars_replaced\":0,\"names_truncated\":0,\"holes_dropped\":0,\"polygons_dropped\":0,\"records\":${nrecords}}\n$")
execute_process(COMMAND ${TKZ} gdb list ${WORK}/again OUTPUT_VARIABLE list2)
string(REGEX REPLACE "\"date_time\":[^,]*," "" list1 "${list1}")
string(REGEX REPLACE "\"date_time\":[^,]*," "" list2 "${list2}")
if(NOT list1 STREQUAL list2)
  file(WRITE ${WORK}/list1.txt "${list1}")
  file(WRITE ${WORK}/list2.txt "${list2}")
  message(FATAL_ERROR "the export imported again differs: compare ${WORK}/list1.txt and list2.txt")
endif()

# Standard input; skipped features keep status 0, reported on both streams.
execute_process(COMMAND ${TKZ} gdb import ${WORK}/piped - INPUT_FILE ${countries}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "\"file\":\"-\",\"format\":\"TopoJSON\",\"features\":${nfeatures},"
   OR NOT err STREQUAL "")
  message(FATAL_ERROR "import from standard input: status ${rc}: ${out}${err}")
endif()
run_cases(
  "0|import,<WORK>/piped,<DATA>/countries-110m.topojson,--object,countries|\"features\":${ncountries},"
  "0|import,<DB>,<WORK>/mixed.geojson|^{[^\n]*\"features\":2,\"added\":{\"Town\":1},\"total_added\":1,\"skipped\":1,\"reasons\":\\[\"feature 0: latitude 95 out of range\"\\],[^\n]*}\ntkz: gdb import: [^\n]*mixed.geojson: 1 of 2 features skipped \\(feature 0: latitude 95 out of range\\)\n$"
  "0|search,<DB>,Wien|\"name\":\"Wien\""
)

# Output that cannot be written: status 1.
if(EXISTS /dev/full)
  foreach(target /dev/full -)
    execute_process(COMMAND ${TKZ} gdb export ${DB} ${target} OUTPUT_FILE /dev/full
                    RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 1 OR NOT err MATCHES "^tkz: write error: ")
      message(FATAL_ERROR "export to ${target} on a full device: status ${rc}: ${err}")
    endif()
  endforeach()
endif()

# A database in use by another program is refused: "list" holds it while it
# waits for a reader of its output.
execute_process(COMMAND sh -c "mkfifo '${WORK}/fifo' && exec 3<>'${WORK}/fifo' && { '${TKZ}' gdb list '${DB}' > '${WORK}/fifo' 3>&- 2>/dev/null & } && sleep 2 && '${TKZ}' gdb import '${DB}' '${cities}'; rc=$?; exec 3>&-; wait; exit $rc"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "^tkz: gdb import: SetGDBName: database \"[^\"]*world\" is in use by another object\\.\n$")
  message(FATAL_ERROR "import into a database in use: status ${rc}: ${out}${err}")
endif()
