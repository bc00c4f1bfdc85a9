# tkz gdb: a database built through the commands and read back (records,
# windows, names in any case and in UTF-8, polygons are covered by the
# library's tests, BLOBs to a file and to standard output), deleting and
# compacting, bad input (missing database, bad numbers, record numbers out of
# range, a database in use), and the check: sound files pass, a damaged index
# file, a low item counter and a payload outside the data file are reported,
# and --repair mends them.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(DB ${WORK}/world)

include(${CMAKE_CURRENT_LIST_DIR}/tkz_gdb_cases.cmake)

file(WRITE ${WORK}/blob.txt "hello blob\n")
set(rec "{\"recno\":")
# CMake's expressions have no {n}: listings of 3 and 5 records spelled out.
string(REPEAT "${rec}[0-9]+,[^\n]*}\n" 3 lines3)
string(REPEAT "${rec}[0-9]+,[^\n]*}\n" 5 lines5)
run_cases(
  "1|list,<DB>|^tkz: gdb list: no database \"[^\"]*world\" \\([^)]*world.tkzgdd is missing\\)\n$"
  "0|create,<DB>,--description,Welt|^{\"database\":\"[^\"]*world\",\"records\":0}\n$"
  "1|create,<DB>|already exists"
  "0|add-town,<DB>,Zürich,47.3769,8.5417,--population,421878|^${rec}1,\"id\":1,\"kind\":\"Town\",\"name\":\"Zürich\",\"lat_low\":47.3769,\"lat_high\":47.3769,\"lon_low\":8.5417,\"lon_high\":8.5417,\"closed\":false,\"elements\":0,\"payload_bytes\":0,\"data_pos\":-1,.*\"user_int1\":421878,"
  "0|add-town,<DB>.tkzgds,Bern,46.948,7.4474|^${rec}2,\"id\":2,"
  "0|add-town,<DB>,Suva,-18.1416,178.4419|^${rec}3,\"id\":3,.*\"lat_low\":-18.1416,"
  "0|add-blob,<DB>,<WORK>/blob.txt|^${rec}4,\"id\":4,\"kind\":\"BLOB\",\"name\":\"blob.txt\",.*\"elements\":11,\"payload_bytes\":1035,\"data_pos\":260,"
  "0|add-blob,<DB>,<WORK>/blob.txt,--name,Zweiter|^${rec}5,\"id\":5,\"kind\":\"BLOB\",\"name\":\"Zweiter\",.*\"data_pos\":1295,"
  # Bad input: status 1 and the value named; nothing added.
  "1|add-town,<DB>,X,91,0|^tkz: gdb add-town: latitude outside -90\\.\\.90: 91\n$"
  "1|add-town,<DB>,X,1,east|^tkz: gdb add-town: longitude is not a finite number: east\n$"
  "1|add-town,<DB>,X,nan,0|latitude is not a finite number: nan"
  "1|add-blob,<DB>,<WORK>/no_such_file|^tkz: gdb add-blob: Cannot open file \"[^\"]*no_such_file\""
  "1|query,<DB>,0,1,a,2|^tkz: gdb query: LONLO is not a finite number: a\n$"
  "1|get,<DB>,6|^tkz: gdb get: record 6 outside 1\\.\\.5\n$"
  "1|get,<DB>,0|record 0 outside 1\\.\\.5"
  "1|get,<DB>,2x|^tkz: gdb get: record number is not an integer: 2x\n$"
  "1|delete,<DB>,99999999999|record number is not an integer"
  "2|add-town,<DB>,X,1|^tkz gdb add-town: .*LON is required"
  "2|search,<DB>,x,--prefix,--contains|excludes"
  "2|frobnicate,<DB>|"
  # Reading back.
  "0|list,<DB>|^${lines5}$"
  "0|query,<DB>,46,48,7,9|^${rec}1,[^\n]*}\n${rec}2,[^\n]*}\n$"
  "0|query,<DB>,-20,-10,170,-170|^${rec}3,[^\n]*\"name\":\"Suva\"[^\n]*}\n$"
  "0|query,<DB>,10,20,10,20|^$"
  "0|search,<DB>,ZÜRICH|^${rec}1,[^\n]*}\n$"
  "0|search,<DB>,b,--prefix|^${rec}2,[^\n]*\"name\":\"Bern\"[^\n]*}\n${rec}4,[^\n]*}\n$"
  "0|search,<DB>,ER,--contains|^${rec}2,[^\n]*}\n${rec}5,[^\n]*}\n$"
  "1|search,<DB>,Bern2|^$"
  "0|get,<DB>,1|^${rec}1,[^\n]*\"name\":\"Zürich\"[^\n]*}\n$"
  "0|get,<DB>,4|^hello blob\n$"
  "0|get,<DB>,5,<WORK>/out.txt|\"meta\":{\"keywords\":\"\",\"caption\":\"\",\"file_path\":\"[^\"]*blob.txt\".*\"written_to\":"
  # Deleting moves the last record into the gap; compacting frees its payload.
  "0|delete,<DB>,4|^{\"deleted\":4,\"id\":4,\"moved_from\":5}\n$"
  "0|delete,<DB>,4|^{\"deleted\":4,\"id\":5}\n$"
  "0|compact,<DB>|^{\"freed\":2070}\n$"
  "0|list,<DB>|^${lines3}$"
  "0|check,<DB>|^$"
)
file(READ ${WORK}/out.txt copied)
if(NOT copied STREQUAL "hello blob\n")
  message(FATAL_ERROR "get to a file wrote '${copied}'")
endif()

# A write failure ends the command with status 1.
if(EXISTS /dev/full)
  execute_process(COMMAND ${TKZ} gdb list ${DB} OUTPUT_FILE /dev/full RESULT_VARIABLE rc
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 1 OR NOT err MATCHES "^tkz: write error")
    message(FATAL_ERROR "list to a full device: status ${rc}: ${err}")
  endif()
endif()

# Overwrites the first bytes of FILE with BYTES (printf escapes).
function(patch file bytes)
  execute_process(COMMAND sh -c "printf '${bytes}' | dd of='${file}' bs=1 conv=notrunc 2>/dev/null"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot patch ${file}")
  endif()
endfunction()

# Damage, one kind at a time: check reports it (status 1), --repair mends it
# (status 0) and a second check finds nothing. Each entry: "NAME|REGEX" where
# NAME picks the damage done below and REGEX the report.
function(damage name)
  if(name STREQUAL "index_length")
    file(WRITE ${DB}.tkzgi2 "12345678")  # one entry for three records
  elseif(name STREQUAL "index_entry")
    # The first entry of the item-ID index names record 100.
    patch(${DB}.tkzgi0 "\\001\\000\\000\\000\\143\\000\\000\\000")
  elseif(name STREQUAL "index_missing")
    file(REMOVE ${DB}.tkzgi4)
  elseif(name STREQUAL "counter")
    patch(${DB}.tkzgdd "\\000\\000\\000\\000")  # item counter 0
  elseif(name STREQUAL "trailing")
    file(APPEND ${DB}.tkzgds "partial")
  endif()
endfunction()

set(damages
  "index_length|^{\"file\":\"[^\"]*world.tkzgi2\",\"problem\":\"1 entries for 3 records\"}\n$"
  "index_entry|^{\"file\":\"[^\"]*world.tkzgi0\",\"record\":1,\"problem\":\"entry names record 100, which does not exist\"}\n$"
  "index_missing|^{\"file\":\"[^\"]*world.tkzgi4\",\"problem\":\"missing or unreadable\"}\n$"
  "counter|^{\"file\":\"[^\"]*world.tkzgdd\",\"problem\":\"item counter 0 below the item ID 3 in use\"}\n$"
  "trailing|^{\"file\":\"[^\"]*world.tkzgds\",\"problem\":\"7 bytes after the last whole record\"}\n$"
)
foreach(case IN LISTS damages)
  string(FIND "${case}" "|" at)
  string(SUBSTRING "${case}" 0 ${at} name)
  math(EXPR at "${at} + 1")
  string(SUBSTRING "${case}" ${at} -1 regex)
  damage(${name})
  execute_process(COMMAND ${TKZ} gdb check ${DB} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 1 OR NOT out MATCHES "${regex}")
    message(FATAL_ERROR "check after ${name}: status ${rc}:\n${out}${err}\nexpected ${regex}")
  endif()
  execute_process(COMMAND ${TKZ} gdb check ${DB} --repair RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "{\"repaired\":\"[^\n]*\"}\n$" OR out MATCHES "unrepaired")
    message(FATAL_ERROR "check --repair after ${name}: status ${rc}:\n${out}${err}")
  endif()
  run_cases("0|check,<DB>|^$" "0|list,<DB>|^${lines3}$")
endforeach()

# A payload cut off the data file: reported, and dropped by the repair
# (the record stays, without its payload).
run_cases("0|add-blob,<DB>,<WORK>/blob.txt|^${rec}4,")
file(SIZE ${DB}.tkzgdd size)
execute_process(COMMAND truncate -s 1000 ${DB}.tkzgdd)
run_cases(
  "1|check,<DB>|^{\"file\":\"[^\"]*world.tkzgds\",\"record\":4,\"problem\":\"payload at 260 \\(11 elements\\) outside the data file\"}\n$"
  "1|get,<DB>,4|^tkz: gdb get: record 4: BLOB outside the data file\n$"
  "0|check,<DB>,--repair|^{[^\n]*}\n{\"repaired\":\"rewrote the record and data files \\(740 bytes freed\\)\"}\n$"
  "0|check,<DB>|^$"
  "1|get,<DB>,4|^tkz: gdb get: record 4 holds no payload\n$"
  "0|list,<DB>|\n${rec}4,[^\n]*\"elements\":0,\"payload_bytes\":0,\"data_pos\":-1,"
)

# A database in use by another program is refused: "add-blob -" holds it
# while it waits for standard input.
execute_process(COMMAND sh -c "mkfifo '${WORK}/fifo' && exec 3<>'${WORK}/fifo' && { '${TKZ}' gdb add-blob '${DB}' - --name piped < '${WORK}/fifo' 3>&- > '${WORK}/piped.txt' & } && sleep 2 && '${TKZ}' gdb list '${DB}'; rc=$?; printf data >&3; exec 3>&-; wait; exit $rc"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(READ ${WORK}/piped.txt piped)
if(NOT rc EQUAL 1 OR NOT err MATCHES "^tkz: gdb list: SetGDBName: database \"[^\"]*world\" is in use by another object\\.\n$"
   OR NOT piped MATCHES "^${rec}5,[^\n]*\"name\":\"piped\"[^\n]*\"elements\":4,")
  message(FATAL_ERROR "a database in use: status ${rc}: ${out}${err}; the holder wrote ${piped}")
endif()

# A file name in UTF-8 becomes the item's name and the stored path, both
# kept in Windows-1252 and shown in UTF-8 again.
file(WRITE ${WORK}/Zürich.txt "x")
run_cases(
  "0|add-blob,<DB>,<WORK>/Zürich.txt|^${rec}6,[^\n]*\"name\":\"Zürich.txt\""
  "0|get,<DB>,6,<WORK>/z.out|\"file_path\":\"[^\"]*/Zürich.txt\""
  "0|search,<DB>,züRICH.TXT|^${rec}6,"
)
