# tkz color: names in any case and hex texts give one JSON line; an unknown
# name, unreadable text or a value with a top byte gives status 1 with a "tkz: "
# message.

# Each value after the expected line must give that line.
function(expect_output expected)
  foreach(value IN LISTS ARGN)
    execute_process(COMMAND ${TKZ} color "${value}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
    if(NOT rc EQUAL 0 OR NOT out STREQUAL "${expected}\n")
      message(FATAL_ERROR "tkz color \"${value}\" gave ${rc}:\n${out}${err}\nexpected\n${expected}")
    endif()
  endforeach()
endfunction()

# Web notation is red first, bare hex text blue first (the library's 00BBGGRR).
expect_output([[{"name":"Red","hex":"000000FF","r":255,"g":0,"b":0,"hsl":[0.0,1.0,0.5],"hsv":[0.0,1.0,1.0],"cmyk":[0.0,1.0,1.0,0.0],"gray":76}]]
  "red" "#FF0000" " #f00 ")
expect_output([[{"name":"Lime","hex":"0000FF00","r":0,"g":255,"b":0,"hsl":[120.0,1.0,0.5],"hsv":[120.0,1.0,1.0],"cmyk":[1.0,0.0,1.0,0.0],"gray":150}]]
  " $FF00 ")
expect_output([[{"name":"RebeccaPurple","hex":"00993366","r":102,"g":51,"b":153,"hsl":[270.0,0.49999999999999994,0.4],"hsv":[270.0,0.6666666666666666,0.6],"cmyk":[0.19999999999999996,0.4,0.0,0.4],"gray":78}]]
  "REBECCAPURPLE" "#663399")
# The name is the table's first name for the value; values without one get "".
expect_output([[{"name":"Gray","hex":"00808080","r":128,"g":128,"b":128,"hsl":[0.0,0.0,0.5019607843137255],"hsv":[-1.0,0.0,0.5019607843137255],"cmyk":[0.0,0.0,0.0,0.4980392156862745],"gray":128}]]
  "WebGray")
expect_output([[{"name":"Black","hex":"00000000","r":0,"g":0,"b":0,"hsl":[0.0,0.0,0.0],"hsv":[0.0,0.0,0.0],"cmyk":[0.0,0.0,0.0,1.0],"gray":0}]]
  "000000")
expect_output([[{"name":"","hex":"00010203","r":3,"g":2,"b":1,"hsl":[30.0,0.5000000000000018,0.00784313725490196],"hsv":[30.0,0.6666666666666666,0.011764705882352941],"cmyk":[0.0,0.0039215686274509665,0.007843137254901933,0.9882352941176471],"gray":2}]]
  "10203")

# Hex texts with a top byte are system-colour references or markers, not RGB.
foreach(value "Redd" "12G4" "" "$" "Rebecca Purple" "FF0000FF" "1FFFFFFF" "123456789" "#"
              "#12345" "#1234567" "#GG0000" "#$FF0000" "# FF0000")
  execute_process(COMMAND ${TKZ} color "${value}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 1 OR NOT out STREQUAL "" OR NOT err MATCHES "^tkz: ")
    message(FATAL_ERROR "tkz color \"${value}\" gave ${rc}: ${out}${err}")
  endif()
endforeach()
