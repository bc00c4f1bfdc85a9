# tkz geo: each command on the command line (negative numbers included), the
# ranges each command accepts, the tables, an unknown ellipsoid, standard-input
# mode with bad lines of every kind, and a failing standard output.
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
run(unknown_ellipsoid 1 "^tkz: unknown ellipsoid \"gelNone\"" utm 1 2 --ellipsoid gelNone)

# split_case(CASE ARGS_VAR REGEX_VAR): "ARGS => REGEX" taken apart.
function(split_case case args_var regex_var)
  string(FIND "${case}" " => " at)
  string(SUBSTRING "${case}" 0 ${at} args)
  math(EXPR at "${at} + 4")
  string(SUBSTRING "${case}" ${at} -1 regex)
  separate_arguments(args UNIX_COMMAND "${args}")
  set(${args_var} "${args}" PARENT_SCOPE)
  set(${regex_var} "${regex}" PARENT_SCOPE)
endfunction()

# Accepted: ARGS => the whole standard output (a regular expression). The
# edges of each range, longitudes taken into -180..<180, a datum to itself.
set(accepted
  "utm 45 200 => ^{\"zone\":4,\"band\":\"T\",\"easting\":421184\\.697,\"northing\":4983436\\.768}\n$"
  "utm 45 -160 => ^{\"zone\":4,\"band\":\"T\",\"easting\":421184\\.697,\"northing\":4983436\\.768}\n$"
  "zone 0 180 => ^1N\n$"
  "zone 0 -540 => ^1N\n$"
  "zone 0 539.999 => ^60N\n$"
  "utm 84 0 => ^{\"zone\":31,\"band\":\"X\""
  "utm -80 0 => ^{\"zone\":31,\"band\":\"C\""
  "utm 1e-400 -1e-330 => ^{\"zone\":31,\"band\":\"N\",\"easting\":166021\\.443,\"northing\":0\\.000}\n$"
  "ups 83.5 0 => ^{\"easting\":2000000\\.000,\"northing\":1277601\\.516}\n$"
  "ups -79.5 0 => ^{\"easting\":2000000\\.000,\"northing\":3168891\\.706}\n$"
  "ups -90 400 => ^{\"easting\":2000000\\.000,\"northing\":2000000\\.000}\n$"
  "latlon 32 N 500000 -9100000 => ^{\"lat\":-81\\.956740238,\"lon\":9\\.000000000}\n$"
  "latlon 32 S 500000 19600000 => ^{\"lat\":86\\.435534104,\"lon\":9\\.000000000}\n$"
  "latlon 31 N 0 0 => ^{\"lat\":0\\.000000000,\"lon\":-1\\.488743"
  "latlon 1 N 0 0 => ^{\"lat\":0\\.000000000,\"lon\":178\\.511256115}\n$"
  "latlon 60 S 1000000 10000000 => ^{\"lat\":0\\.000000000,\"lon\":-178\\.511256115}\n$"
  "latlon 31 S 1000000 10000000 => ^{\"lat\":0\\.000000000,\"lon\":7\\.488743"
  "ups-inverse N 1200000 2800000 => ^{\"lat\":79\\.835322166,\"lon\":-135\\.000000000}\n$"
  "ups-inverse S 3300000 700000 => ^{\"lat\":-73\\.550059984,\"lon\":135\\.000000000}\n$"
  "helmert 183 183 51.5074 -0.1278 45 => ^{\"status\":0,\"lat\":51\\.507400000,\"lon\":-0\\.127800000,\"h\":45\\.000}\n$"
  "helmert 269 269 52 365 10 => ^{\"status\":0,\"lat\":52\\.000000000,\"lon\":5\\.000000000,\"h\":10\\.000}\n$"
)
foreach(case IN LISTS accepted)
  split_case("${case}" args regex)
  execute_process(COMMAND ${TKZ} geo ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT err STREQUAL "" OR NOT out MATCHES "${regex}")
    message(FATAL_ERROR "geo ${args}: status ${rc}, expected 0 and ${regex}:\n${out}${err}")
  endif()
endforeach()

# Refused: ARGS => the message after "tkz: geo COMMAND: " (a regular
# expression), with status 1 and nothing on standard output. Out of each
# command's range, unreadable numbers (NaN, infinity, overflow), a bad datum.
set(refused
  "utm 85 10 => latitude outside the UTM area -80\\.\\.84: 85$"
  "utm -80.001 10 => latitude outside the UTM area -80\\.\\.84: -80\\.001$"
  "utm 91 0 => latitude outside -90\\.\\.90: 91$"
  "utm 61 999999999999 => longitude outside -540\\.\\.<540: 999999999999$"
  "utm 61 540 => longitude outside -540\\.\\.<540: 540$"
  "zone 0 -540.001 => longitude outside -540\\.\\.<540: -540\\.001$"
  "utm north 2 => latitude is not a finite number: north$"
  "utm nan 2 => latitude is not a finite number: nan$"
  "utm 2 inf => longitude is not a finite number: inf$"
  "utm 1e400 2 => latitude is not a finite number: 1e400$"
  "utm 12345678901234567890123456789012345678901234567890 2 => latitude outside -90\\.\\.90: 1234567890123456789012345678901234567890\\.\\.\\. \\(50 bytes\\)$"
  "ups 10 10 => latitude outside the UPS areas \\(>= 83\\.5 or <= -79\\.5\\): 10$"
  "ups 83.4 0 => latitude outside the UPS areas"
  "ups -79.4 0 => latitude outside the UPS areas"
  "latlon 32 N 465403 20000000 => northing outside -9100000\\.\\.9600000 m \\(N\\): 20000000$"
  "latlon 32 S 465403 800000 => northing outside 900000\\.\\.19600000 m \\(S\\): 800000$"
  "latlon 32 N -1e9 5247150 => easting outside 0\\.\\.1000000 m: -1e9$"
  "latlon 32 N 1000001 5247150 => easting outside 0\\.\\.1000000 m: 1000001$"
  "latlon 31 N 0 9600000 => easting 0 at northing 9600000 lies too far from the central meridian of zone 31"
  "latlon 32 N 5 => expected ZONE N\\|S EASTING NORTHING$"
  "latlon 61 N 500000 0 => zone outside 1\\.\\.60: 61$"
  "latlon 32 X 500000 0 => hemisphere must be N or S: X$"
  "ups-inverse N 1e12 0 => easting outside 1200000\\.\\.2800000 m \\(N\\): 1e12$"
  "ups-inverse N 2000000 1199999 => northing outside 1200000\\.\\.2800000 m \\(N\\): 1199999$"
  "ups-inverse S 699999 2000000 => easting outside 700000\\.\\.3300000 m \\(S\\): 699999$"
  "helmert 0 269 51 0 45 => invalid source datum 0 \\(datums are 1\\.\\.271\\)$"
  "helmert 269 272 51 0 45 => invalid target datum 272 \\(datums are 1\\.\\.271\\)$"
  "helmert 183 269 95 0 45 => latitude outside -90\\.\\.90: 95$"
  "helmert 183 269 51 0 1e999 => height is not a finite number: 1e999$"
)
foreach(case IN LISTS refused)
  split_case("${case}" args regex)
  list(GET args 0 command)
  execute_process(COMMAND ${TKZ} geo ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err ERROR_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 1 OR NOT out STREQUAL "" OR NOT err MATCHES "^tkz: geo ${command}: ${regex}")
    message(FATAL_ERROR "geo ${args}: status ${rc}, expected 1 and ${regex}:\n${out}${err}")
  endif()
  if(err MATCHES "status -?[0-9]")
    message(FATAL_ERROR "geo ${args}: a status number in the message: ${err}")
  endif()
endforeach()

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
piped(helmert "269 269 52 5 10\n269 269 95 0 0\n0 269 52 5 10\n183 183 51.5074 -0.1278 45\n" 1
  "{\"status\":0,\"lat\":52.000000000,\"lon\":5.000000000,\"h\":10.000}
{\"error\":\"latitude outside -90..90: 95\"}
{\"status\":-1,\"error\":\"invalid source datum 0 (datums are 1..271)\"}
{\"status\":0,\"lat\":51.507400000,\"lon\":-0.127800000,\"h\":45.000}
")
piped(ups "10 10\n90 0\n" 1
  "{\"error\":\"latitude outside the UPS areas (>= 83.5 or <= -79.5): 10\"}
{\"easting\":2000000.000,\"northing\":2000000.000}
")

# Every line of hostile input gives one line of valid JSON, in batch mode of
# every command: huge, tiny, NaN and infinite numbers, empty, blank and
# overlong lines, control characters, bytes that are not UTF-8, quotes and
# backslashes.
string(REPEAT "9" 5000 long_field)
string(ASCII 1 27 255 254 odd)
set(hostile "61 999999999999\n1e308 -1e308\n1e-320 -1e-400\nnan inf\n-inf -nan\n\n   \t \n"
  "${long_field} 1\n1 ${long_field}\n${odd} \\\"x\n0x10 1e\n+5 5\n1 2 3 4 5 6 7 8\n"
  "0 0\n1 2 3\n32 N 500000 0\n183 269 51 0 1e300\n0 0 0 0 0\n")
string(CONCAT hostile ${hostile})
string(REGEX MATCHALL "\n" input_lines "${hostile}")
list(LENGTH input_lines input_count)
file(WRITE ${WORK}/hostile.txt "${hostile}")
foreach(command zone utm latlon ups ups-inverse helmert)
  execute_process(COMMAND ${TKZ} geo ${command} - INPUT_FILE ${WORK}/hostile.txt
                  OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 1)
    message(FATAL_ERROR "${command} on hostile lines: status ${rc}\n${out}")
  endif()
  set(count 0)
  while(NOT out STREQUAL "")
    string(FIND "${out}" "\n" end)
    if(end EQUAL -1)
      message(FATAL_ERROR "${command} on hostile lines: unterminated line ${out}")
    endif()
    string(SUBSTRING "${out}" 0 ${end} line)
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${out}" ${end} -1 out)
    string(JSON type ERROR_VARIABLE bad TYPE "${line}")
    if(bad OR NOT type STREQUAL "OBJECT")
      message(FATAL_ERROR "${command} on hostile lines: not a JSON object: ${line} (${bad})")
    endif()
    string(LENGTH "${line}" length)
    if(length GREATER 500)
      message(FATAL_ERROR "${command} on hostile lines: an overlong line: ${line}")
    endif()
    math(EXPR count "${count} + 1")
  endwhile()
  if(NOT count EQUAL input_count)
    message(FATAL_ERROR "${command} on hostile lines: ${count} lines for ${input_count}")
  endif()
endforeach()

# A line longer than the reader takes is one error line, and the next line
# is read as usual.
string(REPEAT " " 5000 spaces)
piped(zone "60.5${spaces}5\n60.5 5\n" 1
  "{\"error\":\"line longer than 4096 bytes\"}\n{\"zone\":\"32V\"}\n")

# Standard output that fails ends the run with status 1: on the command line,
# for a table, and in batch mode after the first buffer of output.
if(EXISTS /dev/full)
  string(REPEAT "45 200\n" 5000 many)
  file(WRITE ${WORK}/many.txt "${many}")
  foreach(args "utm;45;200" "datums" "utm;-")
    execute_process(COMMAND ${TKZ} geo ${args} INPUT_FILE ${WORK}/many.txt
                    OUTPUT_FILE /dev/full RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 1)
      message(FATAL_ERROR "geo ${args} to a full device: status ${rc} ${err}")
    endif()
  endforeach()
endif()
