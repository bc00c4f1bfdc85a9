# tkz cpu: exits 0 and prints one JSON object with the identification, the
# feature names, the processor count and a plausible clock speed.
execute_process(COMMAND ${TKZ} cpu --ms 50 RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tkz cpu gave ${rc}: ${err}")
endif()
string(JSON type ERROR_VARIABLE bad TYPE "${out}")
if(bad OR NOT type STREQUAL "OBJECT")
  message(FATAL_ERROR "not a JSON object: ${out}")
endif()
foreach(pair "vendor;STRING" "brand;STRING" "signature;STRING" "family;NUMBER" "model;NUMBER"
             "stepping;NUMBER" "ex_family;NUMBER" "ex_model;NUMBER" "features;ARRAY"
             "processors;NUMBER" "speed_mhz;NUMBER")
  list(GET pair 0 key)
  list(GET pair 1 want)
  string(JSON got ERROR_VARIABLE bad TYPE "${out}" ${key})
  if(bad OR NOT got STREQUAL want)
    message(FATAL_ERROR "key ${key}: ${got}${bad}, expected ${want}")
  endif()
endforeach()
string(JSON vendor GET "${out}" vendor)
string(LENGTH "${vendor}" n)
string(JSON first GET "${out}" features 0)
string(JSON processors GET "${out}" processors)
string(JSON mhz GET "${out}" speed_mhz)
if(NOT n EQUAL 12 OR NOT first STREQUAL "Floating Point Unit" OR processors LESS 1
   OR mhz LESS 100 OR mhz GREATER 10000)
  message(FATAL_ERROR "implausible values: ${out}")
endif()
