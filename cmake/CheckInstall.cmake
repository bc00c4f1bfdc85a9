# Installs the built project into a scratch prefix and checks that the tree
# works from there, as a user who drops it anywhere would find it:
#   - no internal header (*_internal.h) is installed, and every installed
#     header compiles on its own;
#   - no symbol of an internal namespace is exported by the libraries;
#   - the installed tkz and a program that links numkit alone start without
#     LD_LIBRARY_PATH (RUNPATH $ORIGIN/../lib and $ORIGIN);
#   - the installed tkz view finds the installed viewers beside it;
#   - the installed Python package imports from the prefix's site folder, its
#     extension finding the libraries by RUNPATH;
#   - examples/consumer builds with find_package(tkz) and runs; a missing
#     component is named when find_package fails;
#   - a program builds and runs with nothing but the pkg-config flags.
function(fail what)
  message(FATAL_ERROR "${what}")
endfunction()

# must_run(WHAT [MATCHES REGEX] COMMAND ...): runs the command, which must exit
# with 0 (and print REGEX on standard output); else fails naming WHAT.
function(must_run what)
  cmake_parse_arguments(ARG "" "MATCHES" "COMMAND" ${ARGN})
  execute_process(COMMAND ${ARG_COMMAND} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR (ARG_MATCHES AND NOT out MATCHES "${ARG_MATCHES}"))
    fail("${what} failed (${rc}):\n${out}\n${err}")
  endif()
endfunction()

file(REMOVE_RECURSE ${TKZ_WORK_DIR})
set(prefix ${TKZ_WORK_DIR}/prefix)
must_run("installing" COMMAND ${CMAKE_COMMAND} --install ${TKZ_BUILD_DIR} --prefix ${prefix})
unset(ENV{LD_LIBRARY_PATH})
# Leak reports of the sanitizer build are the unit tests' business.
set(ENV{ASAN_OPTIONS} "detect_leaks=0")

set(flags "")
if(TKZ_SANITIZE)
  set(flags "-fsanitize=address,undefined")
endif()

# --- the installed tree
file(GLOB_RECURSE internal ${prefix}/include/*_internal.h)
if(internal)
  fail("internal headers were installed: ${internal}")
endif()
foreach(header core/types/corekit_export.h core/numkit/numkit_export.h geo/mapkit_export.h
               chem/molkit_export.h)
  if(NOT EXISTS ${prefix}/include/tkz/${header})
    fail("export header ${header} was not installed")
  endif()
endforeach()

find_program(NM nm)
find_program(READELF readelf)
file(GLOB libraries ${prefix}/lib*/libtkz_*.so ${prefix}/lib*/*/libtkz_*.so)
list(LENGTH libraries nlib)
if(NOT nlib EQUAL 4)
  fail("expected four installed libraries, found: ${libraries}")
endif()
foreach(lib IN LISTS libraries)
  get_filename_component(name ${lib} NAME)
  if(NM)
    execute_process(COMMAND ${NM} -D -C --defined-only ${lib} OUTPUT_VARIABLE syms RESULT_VARIABLE rc)
    string(REGEX MATCHALL "[^\n]*(raster::|geo_detail::|fswalk::|image_codec::|anonymous namespace)[^\n]*"
           leaked "${syms}")
    if(leaked)
      list(GET leaked 0 first)
      list(LENGTH leaked count)
      fail("${name} exports ${count} internal symbols, e.g. ${first}")
    endif()
    string(REGEX MATCHALL "\n" lines "\n${syms}")
    list(LENGTH lines count)
    math(EXPR count "${count} - 1")
    message(STATUS "${name}: ${count} exported symbols")
  endif()
  if(READELF)
    execute_process(COMMAND ${READELF} -d ${lib} OUTPUT_VARIABLE dyn)
    if(NOT dyn MATCHES "RUNPATH[^\n]*\\[\\$ORIGIN\\]")
      fail("${name} has no RUNPATH $ORIGIN:\n${dyn}")
    endif()
  endif()
endforeach()

# --- the installed tool runs from its own place
must_run("the installed tkz" MATCHES "^tkz [0-9]+\\.[0-9]+\\.[0-9]+"
         COMMAND ${prefix}/bin/tkz --version)
foreach(viewer mapviewer molviewer)
  if(NOT EXISTS ${prefix}/bin/tkz-${viewer})
    fail("tkz-${viewer} was not installed")
  endif()
endforeach()
set(ENV{DISPLAY} "")
must_run("the installed tkz view"
         COMMAND ${prefix}/bin/tkz view ${TKZ_SOURCE_DIR}/tests/data/chem/demo.sdf --size 200x150
                 --screenshot ${TKZ_WORK_DIR}/view.png)
if(NOT EXISTS ${TKZ_WORK_DIR}/view.png)
  fail("the installed tkz view wrote no picture")
endif()

# --- the Python package
if(TKZ_PYTHON_EXECUTABLE)
  set(package ${prefix}/${TKZ_PYTHON_DIR}/tkz)
  file(GLOB extension ${package}/_tkz*.so)
  if(NOT extension OR NOT EXISTS ${package}/__init__.py OR NOT EXISTS ${package}/core.pyi)
    fail("the Python package was not installed whole into ${package}")
  endif()
  set(ENV{PYTHONPATH} ${prefix}/${TKZ_PYTHON_DIR})
  if(TKZ_PYTHON_PRELOAD)
    set(ENV{LD_PRELOAD} ${TKZ_PYTHON_PRELOAD})
  endif()
  must_run("importing the installed Python package" MATCHES "^${prefix}[^\n]*\n3421780262\n"
           COMMAND ${TKZ_PYTHON_EXECUTABLE} -c
             "import tkz\nprint(tkz.__file__)\nprint(tkz.core.crc32(b'123456789'))")
  unset(ENV{LD_PRELOAD})
  unset(ENV{PYTHONPATH})
endif()

# --- CMake consumers
function(configure_and_build src bin)
  must_run("configuring ${src}"
           COMMAND ${CMAKE_COMMAND} -S ${src} -B ${bin} -G Ninja -DCMAKE_PREFIX_PATH=${prefix}
                   -DCMAKE_CXX_COMPILER=${TKZ_CXX_COMPILER}
                   "-DCMAKE_CXX_FLAGS=${flags}" "-DCMAKE_EXE_LINKER_FLAGS=${flags}")
  must_run("building ${src}" COMMAND ${CMAKE_COMMAND} --build ${bin})
endfunction()

configure_and_build(${TKZ_SOURCE_DIR}/examples/consumer ${TKZ_WORK_DIR}/consumer)
must_run("the consumer" MATCHES "csvSemicolon" COMMAND ${TKZ_WORK_DIR}/consumer/consumer)

# Every header on its own, and the numkit-only program.
configure_and_build(${TKZ_SOURCE_DIR}/tests/install ${TKZ_WORK_DIR}/install_check)
if(READELF)
  execute_process(COMMAND ${READELF} -d ${TKZ_WORK_DIR}/install_check/numkit_only OUTPUT_VARIABLE dyn)
  if(dyn MATCHES "libtkz_corekit")
    fail("numkit_only should not need corekit itself:\n${dyn}")
  endif()
endif()
must_run("the numkit-only program" COMMAND ${TKZ_WORK_DIR}/install_check/numkit_only)

execute_process(COMMAND ${CMAKE_COMMAND} -S ${TKZ_SOURCE_DIR}/tests/install/missing_component
                  -B ${TKZ_WORK_DIR}/missing_component -G Ninja -DCMAKE_PREFIX_PATH=${prefix}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "tkz has no component nosuchkit")
  fail("find_package with a missing component (${rc}) should say which:\n${out}\n${err}")
endif()

# --- pkg-config, from the relocated files
find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  file(GLOB pcdir LIST_DIRECTORIES true ${prefix}/lib*/pkgconfig ${prefix}/lib*/*/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "${pcdir}")
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs tkz-mapkit RESULT_VARIABLE rc
                  OUTPUT_VARIABLE pcflags OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${PKG_CONFIG} --variable=libdir tkz-mapkit OUTPUT_VARIABLE libdir
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0 OR NOT pcflags MATCHES "-ltkz_mapkit" OR NOT pcflags MATCHES "-ltkz_corekit")
    fail("pkg-config does not know tkz-mapkit: ${pcflags}")
  endif()
  separate_arguments(pcflags UNIX_COMMAND "${pcflags}")
  separate_arguments(sanflags UNIX_COMMAND "${flags}")
  must_run("building with the pkg-config flags"
           COMMAND ${TKZ_CXX_COMPILER} ${sanflags} ${TKZ_SOURCE_DIR}/tests/install/pkgconfig_main.cpp
                   ${pcflags} -Wl,-rpath,${libdir} -o ${TKZ_WORK_DIR}/pkgconfig_main)
  must_run("the pkg-config program" COMMAND ${TKZ_WORK_DIR}/pkgconfig_main)
endif()
message(STATUS "the installed package works from ${prefix}")
