# tkz geo: each command on the command line (negative numbers included), the
# tables, an unknown ellipsoid, and standard-input mode with a bad line.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# run(NAME EXPECTED_STATUS EXPECTED_OUTPUT_REGEX ARGS...)
function(run name status regex)
  execute_process(COMMAND ${TKZ} geo ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL status)
    message(FATAL_ERROR "${name}: status ${rc}, expected ${status}: ${out}${err}")
  endif()
  if(NOT "${out}${err}" MATCHES "${regex}")
    message(FATAL_ERROR "${name}: output does not match ${regex}:\n${out}${err}")
  endif()
endfunction()

run(zone 0 "^32V\n$" zone 60.5 5)
run(zone_svalbard 0 "^33X\n$" zone 78 10)
run(zone_outside 0 "^\n$" zone 84.0001 0)
run(utm_south_negative 0
    "^{\"zone\":34,\"band\":\"H\",\"easting\":259583\\.222,\"northing\":6245888\\.045}\n$"
    utm -33.9 18.4)
run(utm_west 0 "^{\"zone\":27,\"band\":\"H\",\"easting\":740416\\.778,\"northing\":6245888\\.045}\n$"
    utm -33.9 -18.4)
run(utm_after_marker 0 "^{\"zone\":27,\"band\":\"H\"" utm -- -33.9 -18.4)
run(utm_ellipsoid 0 "^{\"zone\":32,\"band\":\"T\",\"easting\":465401\\.657,\"northing\":5247252\\.294}\n$"
    utm 47.3769 8.5417 --ellipsoid gelInt24)
run(latlon 0 "^{\"lat\":-33\\.900000004,\"lon\":18\\.400000004}\n$"
    latlon 34 S 259583.222 6245888.045)
run(ups_pole 0 "^{\"easting\":2000000\\.000,\"northing\":2000000\\.000}\n$" ups 90 0)
run(ups_inverse 0 "^{\"lat\":-85\\.000000001,\"lon\":45\\.000000000}\n$"
    ups-inverse S 2392767.688 2392767.688)
run(helmert 0 "^{\"status\":0,\"lat\":51\\.478315796,\"lon\":-0\\.001619578,\"h\":90\\.912}\n$"
    helmert 183 269 51.4778 0 45)
run(helmert_bad_datum 1 "^{\"status\":-1,\"lat\":null,\"lon\":null,\"h\":null}\n$"
    helmert 0 269 51 0 45)
run(unknown_ellipsoid 1 "^tkz: unknown ellipsoid \"gelNone\"" utm 1 2 --ellipsoid gelNone)
run(bad_number 1 "^tkz: geo utm: latitude is not a finite number: north" utm north 2)
run(bad_count 1 "^tkz: geo latlon: expected ZONE N\\|S EASTING NORTHING" latlon 32 N 5)
run(bad_zone 1 "^tkz: geo latlon: zone outside 1\\.\\.60: 61" latlon 61 N 500000 0)

# table(COMMAND LINES REGEX): a listing of LINES lines containing REGEX.
function(table command lines regex)
  execute_process(COMMAND ${TKZ} geo ${command} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  string(REGEX MATCHALL "\n" newlines "${out}")
  list(LENGTH newlines count)
  if(NOT rc EQUAL 0 OR NOT count EQUAL lines OR NOT out MATCHES "${regex}")
    message(FATAL_ERROR "${command}: status ${rc}, ${count} lines:\n${out}")
  endif()
endfunction()

table(ellipsoids 61
  "{\"a\":6370997\\.0,\"b\":6370997\\.0,\"id\":\"gelSphere\",\"index\":26,\"name\":\"Normal Sphere\",\"rf\":0\\.0}")
table(datums 271
  "\"ellipsoid\":\"gelAiry30\",\"name\":\"ORDNANCE GB 1936\",\"number\":183,\"rx\":0\\.15")

# Standard input: one JSON line per line, a bad line reported in place and
# the status 1 at the end.
# piped(COMMAND INPUT STATUS EXPECTED_OUTPUT)
function(piped command input status expected)
  file(WRITE ${WORK}/${command}.txt "${input}")
  execute_process(COMMAND ${TKZ} geo ${command} - INPUT_FILE ${WORK}/${command}.txt
                  OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL status OR NOT out STREQUAL expected)
    message(FATAL_ERROR "${command} from stdin: status ${rc}\n${out}")
  endif()
endfunction()

piped(utm "-33.9 18.4\nnorth 2\n  60.5\t5  \n91 0\n" 1
"{\"zone\":34,\"band\":\"H\",\"easting\":259583.222,\"northing\":6245888.045}
{\"error\":\"latitude is not a finite number: north\"}
{\"zone\":32,\"band\":\"V\",\"easting\":280356.453,\"northing\":6713774.225}
{\"error\":\"latitude outside -90..90: 91\"}
")
piped(zone "60.5 5\n85 0\n" 0 "{\"zone\":\"32V\"}\n{\"zone\":\"\"}\n")
piped(latlon "34 S 259583.222 6245888.045\n32 X 1 2\n" 1
  "{\"lat\":-33.900000004,\"lon\":18.400000004}\n{\"error\":\"hemisphere must be N or S: X\"}\n")
piped(ups-inverse "N 2000000 2000000\n" 0 "{\"lat\":90.000000000,\"lon\":180.000000000}\n")
piped(helmert "269 269 52 5 10\n269 269 95 0 0\n" 1
  "{\"status\":0,\"lat\":52.000000000,\"lon\":5.000000000,\"h\":10.000}
{\"status\":-3,\"lat\":85.000000000,\"lon\":180.000000000,\"h\":0.000}
")
