# tkz formula: formulas on the command line and from standard input, the
# mass search, and the failures (status 1 for an unreadable formula, 2 for a
# command line that asks for nothing).

# Each case: arguments (a list), expected status, a regular expression the
# output must match; "<FILE" as the first argument feeds FILE to standard input.
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/lines.txt "C2H6O\r\n\nNaCl\n(C H3)2 C O\n")
function(run args status pattern)
  set(input "")
  set(first "")
  if(args)
    list(GET args 0 first)
  endif()
  if(first MATCHES "^<")
    string(SUBSTRING "${first}" 1 -1 input)
    list(REMOVE_AT args 0)
  endif()
  if(input)
    execute_process(COMMAND ${TKZ} formula ${args} INPUT_FILE ${input} RESULT_VARIABLE rc
                    OUTPUT_VARIABLE out ERROR_VARIABLE err)
  else()
    execute_process(COMMAND ${TKZ} formula ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
  endif()
  if(NOT rc EQUAL ${status} OR NOT "${out}${err}" MATCHES "${pattern}")
    message(FATAL_ERROR "tkz formula ${args} gave ${rc}:\n${out}${err}\nexpected ${status}, ${pattern}")
  endif()
endfunction()

# Entries, both text forms and the three weights.
run("C6H12O6" 0 [[^{"input":"C6H12O6","formula":"C6 H12 O6","isotopes":"12C6 1H12 16O6","entries":\[{"z":6,"symbol":"C","mass_number":12,"count":6},{"z":1,"symbol":"H","mass_number":1,"count":12},{"z":8,"symbol":"O","mass_number":16,"count":6}\],"nominal_mass":180,"average_weight":180.1589,"exact_mass":180.063390}
$]])
run("D2O;13C O2" 0 [["formula":"D2 O","isotopes":"2D2 16O".*"nominal_mass":20,.*"formula":"C O2","isotopes":"13C1 16O2".*"nominal_mass":45,.*"exact_mass":43.989830}]])
# Counts past a byte and lawrencium's mass number 256 are kept whole.
run("Lr C300" 0 [["nominal_mass":3856,]])
# An unreadable formula: an error line, the others still written, status 1.
run("NaCl;Na Cl" 1 [[{"input":"NaCl","error":"not a formula from position 1: \\"NaCl\\""}
{"input":"Na Cl","formula":"Na Cl",]])
run("C6H6 Xx2" 1 [["error":"not a formula from position 6: \\"Xx2\\""]])
run("H He Li Be B C N O F Ne Na Mg Al Si P S Cl Ar K Ca Sc" 1 [[position 52: \\"Sc\\" \(a formula holds at most 20 parts\)]])
run(" " 1 [["error":"no formula in]])
# Standard input: one line each, blank lines and CR endings included.
run("<${WORK}/lines.txt;-" 1 [[^{"input":"C2H6O","formula":"C2 H6 O".*
{"input":"","error":"no formula in \\"\\""}
{"input":"NaCl","error".*
{"input":"\(C H3\)2 C O","formula":"C2 H6 C O",]])

# The mass search, in the order of the range, with and without the check.
run("--find;78;--nominal;--range;C0 H0;C10 H22" 0 [[^{"formula":"C6 H6","nominal_mass":78,"exact_mass":78.046950,"difference":0.046950}
{"formula":"C5 H18",[^
]*
$]])
run("--find;78;--nominal;--check;--range;C0 H0;C10 H22" 0 [[^{"formula":"C6 H6",[^
]*
$]])
run("--find;78.047;--tol;0.001;--range;C0 H0 N0;C10 H22 N4" 0 [[^{"formula":"C6 H6",.*"difference":-0.000050}
$]])
run("--find;78;--nominal;--max;1;--range;C0 H0;C10 H22" 0 [[^{"formula":"C6 H6",[^
]*
$]])
run("--find;78;--range;C0 H0;C1 H1" 0 [[^$]])

# Failures: bad bounds are status 1, a command line asking for nothing 2.
run("--find;78;--range;C0 N0;C10 H22" 1 [[^tkz: formula --range: part 2 of LOW is not the element]])
run("--find;78;--range;C12 H0;C10 H22" 1 [[LOW's count of C is above HIGH's]])
run("--find;78;--range;NaCl;C10 H22" 1 [[LOW: not a formula]])
run("--find;78;--tol;-1;--range;C0;C10" 1 [[--tol not negative]])
run("" 2 [[^tkz formula: TEXT or --find is required]])
run("--find;78" 2 [[requires --range]])
run("C6H6;--find;78;--range;C0 H0;C10 H22" 2 [[excludes TEXT|TEXT.*excludes]])
