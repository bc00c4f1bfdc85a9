# tkz element and tkz cas: each case a command line, its exit status and a
# fragment of what it writes (standard output and error together).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(expect status fragment)
  execute_process(COMMAND ${TKZ} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(FIND "${out}${err}" "${fragment}" at)
  if(NOT rc EQUAL status OR at EQUAL -1)
    message(FATAL_ERROR "tkz ${ARGN}: status ${rc}, expected ${status} and\n${fragment}\n"
                        "got:\n${out}${err}")
  endif()
  # A failure of the command itself is one line naming the value.
  if(status EQUAL 1 AND out STREQUAL "" AND NOT err MATCHES "^tkz: element: [^\n]*\n$")
    message(FATAL_ERROR "tkz ${ARGN}: not one \"tkz: element: \" line:\n${err}")
  endif()
  if(status EQUAL 2 AND (NOT out STREQUAL "" OR NOT err MATCHES "^tkz[^\n]*\n$"))
    message(FATAL_ERROR "tkz ${ARGN}: a usage error is one line on standard error:\n${out}${err}")
  endif()
endfunction()

# One element, by symbol (exact, then any case) or by number.
expect(0 [[{"z":26,"symbol":"Fe","name":"iron","nominal_mass":56,"exact_mass":55.934934,"chemical_weight":55.847,"outer_electrons":2,"configuration":"[Ar] 3d6 4s2","full_configuration":"1s2 2s2 2p6 3s2 3p6 3d6 4s2","vdw_radius":null,"periodic":{"column":7,"row":3},"xray":{"k_alpha":6.398,"l_alpha":0.705,"m_alpha":null}}
]] element Fe)
expect(0 [["exact_mass":1.007825,"chemical_weight":1.00797,]] element 1)
expect(0 [["vdw_radius":1.20,]] element H)
expect(0 [["vdw_radius":1.38,]] element Si)
expect(0 [["symbol":"Cl","name":"chlorine"]] element cl)
expect(0 [["symbol":"Cl",]] element CL)
expect(0 [["z":103,"symbol":"Lr",]] element 103)
expect(0 [["exact_mass":12.0,"chemical_weight":12.01115,]] element C)
expect(0 [["chemical_weight":0.0,]] element Tc)
expect(0 [["periodic":{"column":2,"row":5}]] element La)
expect(0 [["xray":{"k_alpha":null,"l_alpha":13.612,"m_alpha":3.164}]] element U)
expect(0 [["name":"litium",]] element +3)
# Unknown symbols and numbers outside 1..103 fail, naming the value.
expect(1 [[tkz: element: unknown element symbol "Xx"]] element Xx)
expect(1 [[tkz: element: unknown element symbol "Fe2"]] element Fe2)
expect(1 [[tkz: element: atomic number 104 is not in 1..103]] element 104)
expect(1 [[tkz: element: atomic number 0 is not in 1..103]] element 0)
expect(1 [[tkz: element: atomic number -5 is not in 1..103]] element -5)
# Nothing, or more than one of ELEMENT, --all and --lines, is a usage error.
expect(2 "" element)
expect(2 "" element Fe --all)
expect(2 "" element --all --lines 0 1)
expect(2 "" element --lines 1)
expect(2 "not a number of keV" element --lines 0 nan)
expect(2 "" cas)
# X-ray lines: both bounds included, in ascending energy.
expect(0 [[{"energy":0.11,"z":4,"symbol":"Be","line":"K-alpha"}
{"energy":0.183,"z":5,"symbol":"B","line":"K-alpha"}
]] element --lines 0.11 0.183)
expect(0 [[{"energy":0.705,"z":26,"symbol":"Fe","line":"L-alpha"}]] element --lines 0.705 0.705)
expect(0 [[{"energy":3.164,"z":92,"symbol":"U","line":"M-alpha"}]] element --lines 3.1 3.2)
expect(0 "" element --lines 5 1)

# CAS numbers: hyphenated or plain digits, ten digits before the first hyphen;
# bad texts get an "error" field, the batch goes on and ends with status 1.
expect(0 [[{"input":"7732-18-5","cas":"7732-18-5","number":7732185,"valid":true}]] cas 7732-18-5)
expect(0 [[{"input":"7732185","cas":"7732-18-5","number":7732185,"valid":true}]] cas 7732185)
expect(0 [[{"input":" 2628280-40-8 ","cas":"2628280-40-8","number":2628280408,"valid":true}]]
       cas " 2628280-40-8 ")
expect(1 [["number":7732186,"valid":false,"error":"wrong check digit 6, expected 5"}
{"input":"64-17-5","cas":"64-17-5","number":64175,"valid":true}]] cas 7732-18-6 64-17-5)
foreach(bad "7732-185" "773-218-5" "+7732-18-5" "7732 -18-5" "0x1E-18-5" "1234567890123456-78-9" "abc")
  expect(1 "{\"input\":\"${bad}\",\"error\":\"not a CAS number" cas "${bad}")
endforeach()

# Standard input, a line at a time (CR LF too).
file(WRITE ${WORK}/cas.txt "64-17-5\r\n7732-185\n50-00-0\n")
execute_process(COMMAND ${TKZ} cas - INPUT_FILE ${WORK}/cas.txt RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT out STREQUAL "{\"input\":\"64-17-5\",\"cas\":\"64-17-5\",\"number\":64175,\"valid\":true}
{\"input\":\"7732-185\",\"error\":\"not a CAS number (digits-dd-d, at most 18 digits)\"}
{\"input\":\"50-00-0\",\"cas\":\"50-00-0\",\"number\":50000,\"valid\":true}
")
  message(FATAL_ERROR "tkz cas - gave ${rc}:\n${out}${err}")
endif()

# Every element, and every line in ascending order.
execute_process(COMMAND ${TKZ} element --all RESULT_VARIABLE rc OUTPUT_VARIABLE out)
string(REGEX MATCHALL "[^\n]*\n" all "${out}")
list(LENGTH all count)
list(GET all 102 last)
if(NOT rc EQUAL 0 OR NOT count EQUAL 103 OR NOT out MATCHES "^{\"z\":1,\"symbol\":\"H\""
   OR NOT last MATCHES "^{\"z\":103,\"symbol\":\"Lr\"")
  message(FATAL_ERROR "tkz element --all gave ${rc}, ${count} lines:\n${out}")
endif()
execute_process(COMMAND ${TKZ} element --lines 0 100 RESULT_VARIABLE rc OUTPUT_VARIABLE out)
string(REGEX MATCHALL "[^\n]*\n" all "${out}")
list(LENGTH all count)
if(NOT rc EQUAL 0 OR NOT count EQUAL 147)
  message(FATAL_ERROR "tkz element --lines 0 100 gave ${rc}, ${count} lines")
endif()
set(previous 0)
foreach(line IN LISTS all)
  string(JSON energy GET "${line}" energy)
  if(energy LESS previous)
    message(FATAL_ERROR "tkz element --lines: ${energy} after ${previous}")
  endif()
  set(previous ${energy})
endforeach()

# Output that cannot be written is a failure.
foreach(args "element;Fe" "element;--all" "element;--lines;0;100" "cas;64-17-5")
  execute_process(COMMAND ${TKZ} ${args} RESULT_VARIABLE rc OUTPUT_FILE /dev/full ERROR_VARIABLE err)
  if(NOT rc EQUAL 1 OR NOT err MATCHES "tkz: write error: No space left on device\n")
    message(FATAL_ERROR "tkz ${args} > /dev/full: status ${rc}:\n${err}")
  endif()
endforeach()
